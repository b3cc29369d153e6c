#include "cli/commands.h"

#include <QJsonArray>
#include <algorithm>
#include <iostream>
#include <optional>

#include "cli/json_results.h"
#include "cli/phantom.h"
#include "cli/plot.h"
#include "common/app_error.h"
#include "common/checked.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "image/roi_block.h"
#include "load/file_reading.h"
#include "load/headless_load.h"
#include "mtf/lsf.h"
#include "mtf/roi_table.h"
#include "mtf/summary.h"
#include "mtf/table_analysis.h"
#include "viewer/auto_window.h"
#include "viewer/header_export.h"
#include "viewer/load_placement.h"
#include "viewer/render.h"
#include "viewer/roi_statistics.h"
#include "wiener/spectrum.h"
#include "wiener/summary.h"

namespace ctiq::cli {
namespace {

PlotWriter plotWriter = nullptr;

// The --plot file of a command, checked before any work: one file at a time, .png or .svg.
std::optional<std::string> plotPath(const CommandLine& line) {
    if (!line.has("plot")) return std::nullopt;
    if (line.files.size() != 1) throw UsageError("--plot draws the chart of one file at a time");
    if (!plotWriter) throw UsageError("--plot is not available here");
    return line.value("plot", "");
}

LoadMode modeOf(const CommandLine& line) {
    const std::string mode = line.value("mode", "dicom");
    if (mode == "8bit") return LoadMode::Byte8;
    if (mode == "16bit") return LoadMode::Word16;
    if (mode == "dicom") return LoadMode::Dicom;
    throw UsageError("--mode takes 8bit, 16bit or dicom, not '" + mode + "'");
}

void sayReader(const CommandLine& line, const std::string& file, const std::string& reader,
               std::string& notes) {
    if (line.flags.count("verbose")) notes += file + ": read by " + reader + "\n";
}

LoadedImage load(const CommandLine& line, const std::string& file, std::string& notes) {
    LoadOverrides given;
    if (const auto size = line.integers("size", 2)) given.size = MatrixSize{(*size)[0], (*size)[1]};
    given.header = line.integer("header");
    given.offset = line.integer("offset");
    given.swap = line.flags.count("swap") != 0;
    if (line.has("spacing")) given.spacing = line.value("spacing", "");
    // Only `header` prints the table; the measurements take the fields alone.
    LoadedImage image = loadImageHeadless(file, modeOf(line), given, false);
    sayReader(line, file, image.reader, notes);
    return image;
}

// Where an image's pixel spacing came from, for messages.
std::string spacingSource(const CommandLine& line) {
    return line.has("spacing") ? "--spacing" : "the file's name or DICOM header";
}

// The ROI as the viewer draws it after a load (or as --roi places it).
RoiPlacement roiOf(const CommandLine& line, const LoadedImage& image) {
    if (const auto given = line.integers("roi", 4))
        return placeRoi(image.layout, (*given)[0], (*given)[1], (*given)[2], (*given)[3]);
    const RoiFields roi = defaultRoi(image.layout.columns, image.layout.rows);
    return placeRoi(image.layout, roi.centreX, roi.centreY, roi.width, roi.height);
}

}  // namespace

void setPlotWriter(PlotWriter writer) {
    plotWriter = writer;
}

std::string tableTitle(const std::string& command) {
    return command == "stats" ? "File\tMean\tSD\r\n" : "File\tWidth\tLevel\r\n";
}

std::string runHeader(const CommandLine& line, const std::string& file, std::string& notes) {
    // The header is listed whether or not the image can be shown; --size is taken (and not
    // needed) so that the hint of the other commands works here too.
    line.integers("size", 2);
    ImageBytes bytes;
    readWholeFile(file, bytes);
    const LoadPlan plan = planLoad(file, bytes, modeOf(line));
    sayReader(line, file, plan.readerName(), notes);
    try {
        requireShowable(plan);
    } catch (const AppError& e) {
        notes += file + ": " + e.what() + "\n";
    }
    const bool listed = plan.dicom && plan.dicom->walked;
    if (line.flags.count("summary")) return listed ? plan.dicom->summary : std::string();
    return headerTableText(kHeaderTableTitles,
                           listed ? plan.dicom->rows : std::vector<HeaderRow>{});
}

std::string runStats(const CommandLine& line, const std::string& file, std::string& notes) {
    const LoadedImage image = load(line, file, notes);
    const RoiPlacement roi = roiOf(line, image);
    requireBlockInside(roi.block, image.layout, image.bytes.size());
    const RoiStatistics s =
        computeRoiStatistics(image.bytes.data(), image.layout, roi.block, image.valueRule());
    if (wantsJson(line)) {
        return resultLine(
            "stats", file, imageParameters(image, roi),
            {{"mean", s.mean}, {"sd", s.sd}, {"samples", roi.block.nc * roi.block.nr}}, {});
    }
    const RoiStatisticsText t = roiStatisticsText(s, StatisticsDigits::Full);
    return file + "\t" + t.mean + "\t" + t.sd + "\r\n";
}

std::string runWindow(const CommandLine& line, const std::string& file, std::string& notes) {
    const LoadedImage image = load(line, file, notes);
    GreyWindow window = kDefaultWindow;
    if (const auto automatic = computeAutoWindow(image.bytes.data(), image.bytes.size(),
                                                 image.layout, image.valueRule()))
        window = *automatic;
    return file + "\t" + IntToStr(window.width) + "\t" + IntToStr(window.level) + "\r\n";
}

std::string runMtf(const CommandLine& line, const std::string& file, std::string& notes) {
    const auto plot = plotPath(line);
    const std::string table = line.value("table", "mtf");
    if (table != "mtf" && table != "lsf" && table != "width" && table != "points")
        throw UsageError("--table takes mtf, lsf, width or points, not '" + table + "'");
    const std::string direction = line.value("direction", "x");
    if (direction != "x" && direction != "y") throw UsageError("--direction takes x or y");
    const LoadedImage image = load(line, file, notes);
    const RoiPlacement roi = roiOf(line, image);
    requireBlockInside(roi.block, image.layout, image.bytes.size());
    const PixelTable pixels =
        roiPixelTable(image.bytes.data(), image.layout, roi.block, roi.frame, image.valueRule());
    // The MTF window's fields as "toMTF" primes them.
    const std::string spacingText = image.spacingText.empty() ? "1" : image.spacingText;
    const long double spacing = StrToFloat(spacingText);
    const double pxlSpc = requirePixelSpacing(spacing, spacingSource(line));
    // The window's spinner holds the count within 1 .. 100; a script's value outside is refused.
    const int lines = line.integer("lines").value_or(24);
    if (lines < 1 || lines > 100)
        throw UsageError("--lines takes a line count from 1 to 100, not " + std::to_string(lines));
    const int bumps = line.integer("psf-width").value_or(1);
    const MtfResult r = computeMtf(pixels, direction == "x" ? LsfDirection::X : LsfDirection::Y,
                                   tableMaximum(pixels), lines, bumps, spacing);
    const MtfSummary summary = summarizeMtf(r.mtfAbs, pxlSpc, r.width);
    const MtfCurve curve = mtfCurve(r.mtfAbs, pxlSpc);
    if (plot) {
        plotWriter({*plot,
                    "MTF — " + file,
                    mtfSummaryLine(summary),
                    "Spatial frequency (cycles/mm)",
                    "Value of MTF",
                    curve.frequency,
                    curve.value,
                    {}});
    }
    if (wantsJson(line)) {
        QJsonArray lsf, frequency, mtf;
        for (double v : r.lsf) lsf.append(v);
        for (double f : curve.frequency) frequency.append(f);
        for (double v : curve.value) mtf.append(v);
        QJsonObject parameters = imageParameters(image, roi);
        parameters["direction"] = QString::fromStdString(direction);
        parameters["lines"] = lines;
        parameters["psfWidth"] = bumps;
        auto optional = [](const std::optional<double>& v) {
            return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
        };
        return resultLine("mtf", file, parameters,
                          {{"lsf", lsf}, {"frequency", frequency}, {"mtf", mtf}, {"fwhm", r.width}},
                          {{"mtf50", optional(summary.mtf50)},
                           {"mtf10", optional(summary.mtf10)},
                           {"fwhm", summary.fwhm}});
    }
    if (table == "lsf") return lsfMemoText(file, r.lsf, pxlSpc);
    if (table == "mtf") return mtfMemoText(file, r.mtfAbs, pxlSpc);
    if (table == "width") return halfWidthText(r.width) + "\r\n";
    const auto computed = static_cast<std::int32_t>(r.mtfAbs.size());
    const std::int32_t points = line.integer("points").value_or(computed);
    requireDataCount(points, computed, "MTF");
    const PlotPoints plotted = mtfPlotPoints(r.mtfAbs, points, pxlSpc);
    std::string text;
    for (std::size_t k = 0; k < plotted.x.size(); ++k)
        text += FloatToStr(plotted.x[k]) + "\t" + FloatToStr(plotted.y[k]) + "\r\n";
    return text;
}

std::string runNps(const CommandLine& line, const std::string& file, std::string& notes) {
    const auto plot = plotPath(line);
    const std::string table = line.value("table", "spectrum");
    if (table != "spectrum" && table != "acf" && table != "smooth")
        throw UsageError("--table takes spectrum, acf or smooth, not '" + table + "'");
    const std::string direction = line.value("direction", "x");
    if (direction != "x" && direction != "y") throw UsageError("--direction takes x or y");
    const std::string windowName = line.value("window", "hamming");
    if (windowName != "rect" && windowName != "hamming")
        throw UsageError("--window takes rect or hamming");
    const LoadedImage image = load(line, file, notes);
    const RoiPlacement roi = roiOf(line, image);

    // "Load" derives the fields from the ROI; "Y" exchanges them; the options set the roles.
    SpectrumParameters p = defaultSpectrumParameters(
        roi.frame.right - roi.frame.left + 1, roi.frame.bottom - roi.frame.top + 1, 0,
        windowName == "rect" ? DataWindow::Rect : DataWindow::Hamming);
    p.direction = direction == "x" ? SpectrumDirection::X : SpectrumDirection::Y;
    if (p.direction == SpectrumDirection::Y) {
        std::swap(p.segmentX, p.segmentY);
        std::swap(p.shiftX, p.shiftY);
    }
    const bool alongX = p.direction == SpectrumDirection::X;
    std::int32_t& segment = alongX ? p.segmentX : p.segmentY;
    std::int32_t& lines = alongX ? p.segmentY : p.segmentX;
    std::int32_t& segmentStep = alongX ? p.shiftX : p.shiftY;
    std::int32_t& stripStep = alongX ? p.shiftY : p.shiftX;
    segment = line.integer("segment").value_or(segment);
    lines = line.integer("lines").value_or(lines);
    segmentStep = line.integer("segment-step").value_or(segmentStep);
    stripStep = line.integer("strip-step").value_or(stripStep);
    if (const auto degree = line.integer("line-trend")) {
        p.lineTrend = true;
        p.lineDegree = *degree;
    }
    if (const auto degree = line.integer("segment-trend")) {
        p.segmentTrend = true;
        p.segmentDegree = *degree;
    }
    p.maxSegments = line.integer("max-segments").value_or(10000);
    p.autocorrelation = table == "acf";  // made only where it is printed
    p.pixelSpacing = requirePixelSpacing(StrToFloat(image.spacingText), spacingSource(line));

    SpectrumImage source =
        spectrumSource(image.bytes, image.layout, image.valueRule(), roi.imageLeft, roi.imageTop);
    source.factor = line.real("factor").value_or(1.0);
    SpectrumResult r = computeWienerSpectrum(source, p);
    const std::string scale = line.value("hamming-scale", "amplitude");
    if (scale != "amplitude" && scale != "power")
        throw UsageError("--hamming-scale takes amplitude or power, not '" + scale + "'");
    if (scale == "power" && p.window == DataWindow::Hamming) {
        // White noise then reads σ²Δ² with the Hamming window as with "Rect".
        const double factor = hammingPowerFactor(r.segmentLength);
        for (double& v : r.spectrum) v /= factor;
        for (double& v : r.standardError) v /= factor;
    }
    // The bins 1 … N/2, as the table lists them.
    const SpectrumSummary summary = summarizeSpectrum(r.spectrum, r.segmentLength, p.pixelSpacing);
    std::vector<double> binFrequency, binValue, binError;
    for (std::int32_t b = 1; b <= r.segmentLength / 2; ++b) {
        binFrequency.push_back(b / (r.segmentLength * p.pixelSpacing));
        binValue.push_back(r.spectrum[b]);
        binError.push_back(r.standardError[b]);
    }
    if (plot) {
        plotWriter({*plot, "Wiener spectrum — " + file, spectrumSummaryLine(summary),
                    "Spatial frequency (cycles/mm)", "Wiener spectral value (mm*mm)", binFrequency,
                    binValue, binError});
    }
    if (wantsJson(line)) {
        QJsonArray frequency, spectrum, standardError;
        for (std::size_t i = 0; i < binFrequency.size(); ++i) {
            frequency.append(binFrequency[i]);
            spectrum.append(binValue[i]);
            standardError.append(binError[i]);
        }
        QJsonObject parameters = imageParameters(image, roi);
        parameters["direction"] = QString::fromStdString(direction);
        parameters["segment"] = segment;
        parameters["lines"] = lines;
        parameters["segmentStep"] = segmentStep;
        parameters["stripStep"] = stripStep;
        parameters["window"] = QString::fromStdString(windowName);
        parameters["hammingScale"] = QString::fromStdString(scale);
        parameters["lineTrend"] = p.lineTrend ? QJsonValue(p.lineDegree) : QJsonValue();
        parameters["segmentTrend"] = p.segmentTrend ? QJsonValue(p.segmentDegree) : QJsonValue();
        parameters["factor"] = source.factor;
        parameters["maxSegments"] = p.maxSegments;
        parameters["pixelSpacingMm"] = p.pixelSpacing;
        return resultLine("nps", file, parameters,
                          {{"frequency", frequency},
                           {"spectrum", spectrum},
                           {"standardError", standardError},
                           {"segments", r.segments},
                           {"strips", r.strips}},
                          {{"peakFrequency", summary.peakFrequency},
                           {"meanFrequency", summary.meanFrequency},
                           {"integral", summary.integral}});
    }
    std::vector<double> ws(kSpectrumCapacity, 0.0);
    std::copy(r.spectrum.begin(), r.spectrum.end(), ws.begin());
    if (table == "spectrum") return spectrumTableText(file, ws, r.segmentLength, p.pixelSpacing);
    if (table == "acf")
        return autocorrelationTableText(file, r.autocorrelation, r.segmentLength, p.pixelSpacing);
    return smoothedTableText(file, ws, r.segmentLength, p.pixelSpacing);
}

std::string runPhantom(const CommandLine& line) {
    PhantomSpec spec;
    spec.kind = line.files[0];
    if (spec.kind != "point" && spec.kind != "noise" && spec.kind != "uniform")
        throw UsageError("the phantom is point, noise or uniform, not '" + spec.kind + "'");
    if (spec.kind == "point") spec.sd = 0;
    if (const auto size = line.integers("size", 2)) {
        spec.columns = (*size)[0];
        spec.rows = (*size)[1];
    }
    spec.spacing = line.real("spacing").value_or(spec.spacing);
    spec.sigma = line.real("sigma").value_or(spec.sigma);
    spec.profile = line.value("profile", spec.profile);
    if (spec.profile != "gaussian" && spec.profile != "exponential")
        throw UsageError("--profile takes gaussian or exponential, not '" + spec.profile + "'");
    if (const auto centre = line.reals("centre", 2)) {
        spec.centreX = (*centre)[0];
        spec.centreY = (*centre)[1];
    }
    spec.amplitude = line.real("amplitude").value_or(spec.amplitude);
    spec.background = line.real("background").value_or(spec.background);
    spec.mean = line.real("mean").value_or(spec.mean);
    spec.sd = line.real("sd").value_or(spec.sd);
    if (const auto kernel = line.reals("kernel", 0)) spec.kernel = *kernel;
    spec.seed = static_cast<std::uint64_t>(line.integer("seed").value_or(1));
    spec.value = line.real("value").value_or(spec.value);
    return writePhantom(line.files[1], spec, line.flags.count("dicom") != 0);
}

}  // namespace ctiq::cli
