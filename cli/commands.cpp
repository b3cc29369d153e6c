#include "cli/commands.h"

#include <QJsonArray>
#include <algorithm>
#include <iostream>
#include <optional>

#include "cli/json_results.h"
#include "cli/phantom.h"
#include "cli/plot_request.h"
#include "cli/printable_path.h"
#include "common/app_error.h"
#include "common/checked.h"
#include "common/frequency_axis.h"
#include "common/language.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/sample_spread.h"
#include "image/roi_block.h"
#include "load/file_reading.h"
#include "load/headless_load.h"
#include "mtf/combined.h"
#include "mtf/lsf.h"
#include "mtf/reliability.h"
#include "mtf/roi_table.h"
#include "mtf/summary.h"
#include "mtf/table_analysis.h"
#include "viewer/auto_window.h"
#include "viewer/header_export.h"
#include "viewer/load_placement.h"
#include "viewer/render.h"
#include "viewer/roi_statistics.h"
#include "wiener/reliability.h"
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
    throw UsageError("--mode takes 8bit, 16bit or dicom, not '%1'", {mode});
}

void sayReader(const CommandLine& line, const std::string& file, const std::string& reader,
               std::string& notes) {
    if (line.flags.count("verbose")) notes += printablePath(file) + ": read by " + reader + "\n";
}

// The image as the line's image options load it, without the reader note.
LoadedImage loadQuietly(const CommandLine& line, const std::string& file) {
    LoadOverrides given;
    if (const auto size = line.integers("size", 2)) given.size = MatrixSize{(*size)[0], (*size)[1]};
    given.header = line.integer("header");
    given.offset = line.integer("offset");
    given.swap = line.flags.count("swap") != 0;
    if (line.has("spacing")) given.spacing = line.value("spacing", "");
    given.frame = static_cast<std::uint32_t>(line.integer("frame").value_or(1) - 1);
    // Only `header` prints the table; the measurements take the fields alone.
    return loadImageHeadless(file, modeOf(line), given, false);
}

LoadedImage load(const CommandLine& line, const std::string& file, std::string& notes) {
    LoadedImage image = loadQuietly(line, file);
    sayReader(line, file,
              image.scannerDeclined.empty()
                  ? image.reader
                  : image.reader + " (not the header scanner: " + image.scannerDeclined + ")",
              notes);
    return image;
}

// A table row's name of its input: the file, and the frame where one was asked for.
std::string rowLabel(const CommandLine& line, const std::string& file) {
    const std::string name = printablePath(file);
    return line.has("frame") ? name + " (frame " + line.value("frame", "") + ")" : name;
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

PlotWriter currentPlotWriter() {
    return plotWriter;
}

LoadedImage loadImageFor(const CommandLine& line, const std::string& file, std::string& notes) {
    return load(line, file, notes);
}

std::string pixelSpacingSource(const CommandLine& line) {
    return spacingSource(line);
}

std::string tableTitle(const std::string& command) {
    return command == "stats" ? "File\tMean\tSD\r\n" : "File\tWidth\tLevel\r\n";
}

FileMeasured runHeader(const CommandLine& line, const std::string& file, std::string& notes) {
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
        notes += printablePath(file) + ": " + inUserLanguage(e) + "\n";
    }
    const bool listed = plan.dicom && plan.dicom->walked;
    if (line.flags.count("summary")) return {listed ? plan.dicom->summary : std::string(), {}};
    return {
        headerTableText(kHeaderTableTitles, listed ? plan.dicom->rows : std::vector<HeaderRow>{}),
        {}};
}

FileMeasured runStats(const CommandLine& line, const std::string& file, std::string& notes) {
    const LoadedImage image = load(line, file, notes);
    const RoiPlacement roi = roiOf(line, image);
    requireBlockInside(roi.block, image.layout, image.bytes.size());
    const RoiStatistics s =
        computeRoiStatistics(image.bytes.data(), image.layout, roi.block, image.valueRule());
    if (wantsJson(line)) {
        return {resultLine(
                    "stats", file, imageParameters(image, roi),
                    {{"mean", s.mean}, {"sd", s.sd}, {"samples", roi.block.nc * roi.block.nr}}, {}),
                {}};
    }
    const RoiStatisticsText t = roiStatisticsText(s, StatisticsDigits::Full);
    return {rowLabel(line, file) + "\t" + t.mean + "\t" + t.sd + "\r\n", {}};
}

FileMeasured runWindow(const CommandLine& line, const std::string& file, std::string& notes) {
    const LoadedImage image = load(line, file, notes);
    GreyWindow window = kDefaultWindow;
    if (const auto automatic = computeAutoWindow(image.bytes.data(), image.bytes.size(),
                                                 image.layout, image.valueRule()))
        window = *automatic;
    return {rowLabel(line, file) + "\t" + IntToStr(window.width) + "\t" + IntToStr(window.level) +
                "\r\n",
            {}};
}

namespace {

// One LSF and MTF of one ROI of an image, with what qualifies it.
struct MtfMeasurement {
    RoiPlacement roi;
    MtfResult result;
    MtfSummary summary;
    MtfCurve curve;
    MtfAssessment assessment;
    double spacing = 0;
    int lines = 24, bumps = 1;
    std::string direction;
};

std::string mtfDirection(const CommandLine& line) {
    const std::string direction = line.value("direction", "x");
    if (direction != "x" && direction != "y") throw UsageError("--direction takes x or y");
    return direction;
}

MtfMeasurement measureMtf(const CommandLine& line, const LoadedImage& image,
                          const std::optional<std::vector<int>>& roiGiven) {
    MtfMeasurement m;
    m.direction = mtfDirection(line);
    m.roi = roiGiven ? placeRoi(image.layout, (*roiGiven)[0], (*roiGiven)[1], (*roiGiven)[2],
                                (*roiGiven)[3])
                     : roiOf(line, image);
    requireBlockInside(m.roi.block, image.layout, image.bytes.size());
    const PixelTable pixels = roiPixelTable(image.bytes.data(), image.layout, m.roi.block,
                                            m.roi.frame, image.valueRule());
    // The MTF window's fields as "toMTF" primes them.
    const std::string spacingText = mtfSpacingText(image.spacingText);
    const long double spacing = StrToFloat(spacingText);
    m.spacing = requirePixelSpacing(spacing, spacingSource(line));
    // The window's spinner holds the count within 1 .. 100; a script's value outside is refused.
    m.lines = line.integer("lines").value_or(kDefaultLsfLines);
    if (m.lines < kMinLsfLines || m.lines > kMaxLsfLines)
        throw UsageError(
            "--lines takes a line count from %1 to %2, not %3",
            {std::to_string(kMinLsfLines), std::to_string(kMaxLsfLines), std::to_string(m.lines)});
    m.bumps = line.integer("psf-width").value_or(1);
    const LsfDirection direction = m.direction == "x" ? LsfDirection::X : LsfDirection::Y;
    const CellPosition maximum = tableMaximum(pixels);
    m.result = computeMtf(pixels, direction, maximum, m.lines, m.bumps, spacing);
    // The summary's FWHM between the samples; --table width keeps the walk between samples.
    m.result.fineWidthSamples = fineHalfWidthSamples(m.result.lsf);
    m.summary = summarizeMtf(m.result.mtfAbs, m.spacing, m.spacing * *m.result.fineWidthSamples);
    m.curve = mtfCurve(m.result.mtfAbs, m.spacing);
    m.assessment = assessMtf(pixels, direction, maximum, m.lines, m.result, m.spacing);
    return m;
}

QJsonObject mtfMethodParameters(const MtfMeasurement& m) {
    QJsonObject parameters;
    parameters["direction"] = QString::fromStdString(m.direction);
    parameters["lines"] = m.lines;
    parameters["psfWidth"] = m.bumps;
    return parameters;
}

// `identity`: the file's, read at its first JSON line and kept for the others.
std::string mtfOutput(const CommandLine& line, const std::string& file, const LoadedImage& image,
                      const MtfMeasurement& m, const std::optional<std::string>& plot,
                      std::optional<QJsonObject>& identity, std::string& notes) {
    const std::string table = line.value("table", "mtf");
    const MtfResult& r = m.result;
    if (plot) {
        plotWriter(curvePlot(*plot, "MTF — " + file, mtfSummaryLine(m.summary),
                             "Spatial frequency (cycles/mm)", "Value of MTF", m.curve.frequency,
                             m.curve.value));
    }
    if (wantsJson(line)) {
        QJsonObject parameters = imageParameters(image, m.roi);
        const QJsonObject method = mtfMethodParameters(m);
        for (auto it = method.begin(); it != method.end(); ++it) parameters[it.key()] = it.value();
        if (!identity) identity = inputIdentity(file);
        return resultLine("mtf", *identity, parameters,
                          {{"lsf", numbersOf(r.lsf)},
                           {"frequency", numbersOf(m.curve.frequency)},
                           {"mtf", numbersOf(m.curve.value)},
                           {"fwhm", r.width}},
                          {{"mtf50", numberOrNull(m.summary.mtf50)},
                           {"mtf10", numberOrNull(m.summary.mtf10)},
                           {"fwhm", m.summary.fwhm},
                           {"mtf50StandardError", numberOrNull(m.assessment.mtf50StandardError)},
                           {"peakSnr", m.assessment.point.peakSnr},
                           {"flags", flagsJson(m.assessment.flags)}});
    }
    noteFlags(file, m.assessment.flags, notes);
    if (table == "lsf") return lsfMemoText(file, r.lsf, m.spacing);
    if (table == "mtf") return mtfMemoText(file, r.mtfAbs, m.spacing);
    if (table == "width") return halfWidthText(r.width) + "\r\n";
    const auto computed = static_cast<std::int32_t>(r.mtfAbs.size());
    const std::int32_t points = line.integer("points").value_or(computed);
    requireDataCount(points, computed, "MTF");
    const PlotPoints plotted = mtfPlotPoints(r.mtfAbs, points, m.spacing);
    std::string text;
    for (std::size_t k = 0; k < plotted.x.size(); ++k)
        text += FloatToStr(plotted.x[k]) + "\t" + FloatToStr(plotted.y[k]) + "\r\n";
    return text;
}

// Every ROI the command line names (or the load's default one).
std::vector<std::optional<std::vector<int>>> mtfRois(const CommandLine& line) {
    std::vector<std::optional<std::vector<int>>> rois;
    for (const auto& roi : line.roiList()) rois.emplace_back(roi);
    if (rois.empty()) rois.emplace_back(std::nullopt);
    return rois;
}

}  // namespace

FileMeasured runMtf(const CommandLine& line, const std::string& file, std::string& notes) {
    const auto plot = plotPath(line);
    const std::string table = line.value("table", "mtf");
    if (table != "mtf" && table != "lsf" && table != "width" && table != "points")
        throw UsageError("--table takes mtf, lsf, width or points, not '%1'", {table});
    mtfDirection(line);
    const LoadedImage image = loadQuietly(line, file);  // once for all its ROIs
    std::optional<QJsonObject> identity;
    FileMeasured out;
    for (const auto& roi : mtfRois(line)) {
        sayReader(line, file, image.reader, notes);  // each ROI's table comes with the note
        MtfMeasurement m = measureMtf(line, image, roi);
        out.rows += mtfOutput(line, file, image, m, plot, identity, notes);
        MtfForCombining kept{.file = file,
                             .result = std::move(m.result),
                             .spacing = m.spacing,
                             .input = {},
                             .method = mtfMethodParameters(m)};
        if (identity) {
            kept.input = *identity;
            kept.input["roi"] = imageParameters(image, m.roi)["roi"];
        }
        out.kept.mtf.push_back(std::move(kept));
    }
    return out;
}

bool wantsCombinedMtf(const CommandLine& line) {
    return line.command == "mtf" && line.files.size() * mtfRois(line).size() > 1;
}

std::string runCombinedMtf(const CommandLine& line, const std::vector<MtfForCombining>& rois,
                           std::string& notes) {
    std::vector<MtfResult> results;
    QJsonArray inputs;
    const double spacing = rois.front().spacing;
    for (const MtfForCombining& m : rois) {
        if (m.spacing != spacing) {
            throw AppError(
                "The combined MTF needs one pixel spacing: %1 has %2 mm, the first "
                "image %3 mm.",
                {m.file, fixedText(m.spacing, 4), fixedText(spacing, 4)});
        }
        results.push_back(m.result);
        if (wantsJson(line)) inputs.append(m.input);
    }
    const CombinedMtf c = combineMtf(results, spacing);
    const QualityFlags flags = combinedMtfFlags(results, c, spacing);
    if (wantsJson(line)) {
        QJsonObject parameters = rois.front().method;
        parameters["pixelSpacingMm"] = spacing;
        return combinedResultLine("mtf-combined", inputs, parameters,
                                  {{"frequency", numbersOf(c.frequency)},
                                   {"mtf", numbersOf(c.value)},
                                   {"standardError", numbersOf(c.standardError)},
                                   {"lsf", numbersOf(c.lsf)},
                                   {"centroids", numbersOf(c.centroids)},
                                   {"images", c.images}},
                                  {{"mtf50", numberOrNull(c.summary.mtf50)},
                                   {"mtf10", numberOrNull(c.summary.mtf10)},
                                   {"fwhm", c.summary.fwhm},
                                   {"mtf50Spread", numberOrNull(c.mtf50Spread)},
                                   {"mtf10Spread", numberOrNull(c.mtf10Spread)},
                                   {"fwhmSpread", numberOrNull(c.fwhmSpread)},
                                   {"flags", flagsJson(flags)}});
    }
    noteFlags("combined MTF", flags, notes);
    return combinedMtfText(c);
}

namespace {

// One spectrum of one file, with its bins 1 … N/2, figures and flags.
struct NpsMeasurement {
    LoadedImage image;
    RoiPlacement roi;
    SpectrumParameters p;
    SpectrumResult r;
    SpectrumSummary summary;
    std::vector<double> kept;  // segmentKeptShare: the mean frequency's bins are S / kept
    std::vector<double> binFrequency, binValue, binError;
    QualityFlags flags;
    RoiStatistics roiStatistics;  // of the ROI's values, in HU for a CT image
    double factor = 1;
    std::string direction, windowName, scale;
    std::int32_t segment = 0, lines = 0, segmentStep = 0, stripStep = 0;
};

// The spectrum's method choices, checked before the file is read.
void readNpsChoices(const CommandLine& line, NpsMeasurement& m) {
    m.direction = line.value("direction", "x");
    if (m.direction != "x" && m.direction != "y") throw UsageError("--direction takes x or y");
    m.windowName = line.value("window", "hamming");
    if (m.windowName != "rect" && m.windowName != "hamming")
        throw UsageError("--window takes rect or hamming");
    m.scale = line.value("hamming-scale", "amplitude");
    if (m.scale != "amplitude" && m.scale != "power")
        throw UsageError("--hamming-scale takes amplitude or power, not '%1'", {m.scale});
}

// "Load" derives the fields from the ROI; "Y" exchanges them; the options set the roles.
void setNpsParameters(const CommandLine& line, NpsMeasurement& m) {
    SpectrumParameters& p = m.p;
    p = defaultSpectrumParameters(m.roi.frame.right - m.roi.frame.left + 1,
                                  m.roi.frame.bottom - m.roi.frame.top + 1, 0,
                                  m.windowName == "rect" ? DataWindow::Rect : DataWindow::Hamming);
    turnDirection(p, m.direction == "x" ? SpectrumDirection::X : SpectrumDirection::Y);
    const SpectrumFieldRoles roles = fieldRoles(p);
    m.segment = *roles.segment = line.integer("segment").value_or(*roles.segment);
    m.lines = *roles.lines = line.integer("lines").value_or(*roles.lines);
    m.segmentStep = *roles.segmentStep = line.integer("segment-step").value_or(*roles.segmentStep);
    m.stripStep = *roles.stripStep = line.integer("strip-step").value_or(*roles.stripStep);
    if (const auto degree = line.integer("line-trend")) {
        p.lineTrend = true;
        p.lineDegree = *degree;
    }
    if (const auto degree = line.integer("segment-trend")) {
        p.segmentTrend = true;
        p.segmentDegree = *degree;
    }
    p.maxSegments = line.integer("max-segments").value_or(kDefaultMaxSegments);
    p.autocorrelation = line.value("table", "spectrum") == "acf";  // made only where printed
    p.pixelSpacing = requirePixelSpacing(StrToFloat(m.image.spacingText), spacingSource(line));
}

// The bins 1 … N/2, as the table lists them, and the figures and flags read off them.
void summarizeBins(NpsMeasurement& m) {
    const SpectrumResult& r = m.r;
    m.kept = segmentKeptShare(m.p.window, r.segmentLength,
                              m.p.segmentTrend ? m.p.segmentDegree : 0);
    m.summary = summarizeSpectrum(r.spectrum, r.segmentLength, m.p.pixelSpacing, m.kept);
    for (std::int32_t b = 1; b <= r.segmentLength / 2; ++b) {
        m.binFrequency.push_back(
            static_cast<double>(binFrequency(b, r.segmentLength, m.p.pixelSpacing)));
        m.binValue.push_back(r.spectrum[b]);
        m.binError.push_back(r.standardError[b]);
    }
    m.flags = spectrumFlags(m.binValue, r.effectiveSegments, m.kept.size() > 1 ? m.kept[1] : 1);
    for (QualityFlag& f : precisionFlagsOf(m.summary.integral, m.summary.meanFrequency,
                                           m.summary.peakFrequency,
                                           summaryErrors(r.spectrum, r.standardError,
                                                         r.segmentLength, m.p.pixelSpacing,
                                                         m.p.window, m.kept)))
        m.flags.push_back(std::move(f));
}

NpsMeasurement measureNps(const CommandLine& line, const std::string& file, std::string& notes) {
    NpsMeasurement m;
    readNpsChoices(line, m);
    m.image = load(line, file, notes);
    m.roi = roiOf(line, m.image);
    setNpsParameters(line, m);

    SpectrumImage source = spectrumSource(m.image.bytes, m.image.layout, m.image.valueRule(),
                                          m.roi.imageLeft, m.roi.imageTop);
    source.factor = line.real("factor").value_or(1.0);
    m.factor = source.factor;
    m.r = computeWienerSpectrum(source, m.p);
    if (m.scale == "power" && m.p.window == DataWindow::Hamming) {
        // White noise then reads σ²Δ² with the Hamming window as with "Rect".
        const double factor = hammingPowerFactor(m.r.segmentLength);
        for (double& v : m.r.spectrum) v /= factor;
        for (double& v : m.r.standardError) v /= factor;
    }
    summarizeBins(m);
    requireBlockInside(m.roi.block, m.image.layout, m.image.bytes.size());
    m.roiStatistics = computeRoiStatistics(m.image.bytes.data(), m.image.layout, m.roi.block,
                                           m.image.valueRule());
    return m;
}

QJsonObject npsMethodParameters(const NpsMeasurement& m) {
    return {{"direction", QString::fromStdString(m.direction)},
            {"segment", m.segment},
            {"lines", m.lines},
            {"segmentStep", m.segmentStep},
            {"stripStep", m.stripStep},
            {"window", QString::fromStdString(m.windowName)},
            {"hammingScale", QString::fromStdString(m.scale)},
            {"lineTrend", m.p.lineTrend ? QJsonValue(m.p.lineDegree) : QJsonValue()},
            {"segmentTrend", m.p.segmentTrend ? QJsonValue(m.p.segmentDegree) : QJsonValue()},
            {"factor", m.factor},
            {"maxSegments", m.p.maxSegments},
            {"pixelSpacingMm", m.p.pixelSpacing}};
}

}  // namespace

FileMeasured runNps(const CommandLine& line, const std::string& file, std::string& notes) {
    const auto plot = plotPath(line);
    const std::string table = line.value("table", "spectrum");
    if (table != "spectrum" && table != "acf" && table != "smooth")
        throw UsageError("--table takes spectrum, acf or smooth, not '%1'", {table});
    const NpsMeasurement m = measureNps(line, file, notes);
    const SpectrumResult& r = m.r;
    FileMeasured out;
    out.kept.nps.push_back({.file = file,
                            .input = {},
                            .method = npsMethodParameters(m),
                            .binFrequency = m.binFrequency,
                            .binValue = m.binValue,
                            .binError = m.binError,
                            .pixelSpacing = m.p.pixelSpacing,
                            .segmentLength = r.segmentLength,
                            .spectrumLength = r.spectrum.size(),
                            .effectiveSegments = r.effectiveSegments,
                            .roiSd = m.roiStatistics.sd,
                            .window = m.p.window,
                            .kept = m.kept});
    NpsForCombining& kept = out.kept.nps.back();
    if (plot) {
        plotWriter(curvePlot(*plot, "Wiener spectrum — " + file, spectrumSummaryLine(m.summary),
                             "Spatial frequency (cycles/mm)", "Wiener spectral value (mm*mm)",
                             m.binFrequency, m.binValue, m.binError));
    }
    if (wantsJson(line)) {
        QJsonObject parameters = imageParameters(m.image, m.roi);
        for (auto it = kept.method.begin(); it != kept.method.end(); ++it)
            parameters[it.key()] = it.value();
        kept.input = inputIdentity(file);
        out.rows = resultLine("nps", kept.input, parameters,
                              {{"frequency", numbersOf(m.binFrequency)},
                               {"spectrum", numbersOf(m.binValue)},
                               {"standardError", numbersOf(m.binError)},
                               {"segments", r.segments},
                               {"effectiveSegments", r.effectiveSegments},
                               {"strips", r.strips}},
                              {{"peakFrequency", m.summary.peakFrequency},
                               {"meanFrequency", m.summary.meanFrequency},
                               {"integral", m.summary.integral},
                               {"roiMean", m.roiStatistics.mean},
                               {"roiSd", m.roiStatistics.sd},
                               {"flags", flagsJson(m.flags)}});
        return out;
    }
    noteFlags(file, m.flags, notes);
    std::vector<double> ws(kSpectrumCapacity, 0.0);
    std::copy(r.spectrum.begin(), r.spectrum.end(), ws.begin());
    const double spacing = m.p.pixelSpacing;
    out.rows = table == "spectrum" ? spectrumTableText(file, ws, r.segmentLength, spacing)
               : table == "acf"
                   ? autocorrelationTableText(file, r.autocorrelation, r.segmentLength, spacing)
                   : smoothedTableText(file, ws, r.segmentLength, spacing);
    return out;
}

bool wantsCombinedNps(const CommandLine& line) {
    // Only as JSON: the text tables stay the window's exports, one per file.
    return line.command == "nps" && line.files.size() > 1 && wantsJson(line);
}

std::string runCombinedNps(const CommandLine& line, const std::vector<NpsForCombining>& files,
                           std::string& notes) {
    const NpsForCombining& first = files.front();
    QJsonArray inputs;
    for (const NpsForCombining& m : files) {
        if (m.binValue.size() != first.binValue.size() || m.pixelSpacing != first.pixelSpacing)
            throw AppError(
                "The images' spectra differ in length or pixel spacing (%1): no "
                "image-to-image spectrum.",
                {m.file});
        if (wantsJson(line)) inputs.append(m.input);
    }
    const std::size_t bins = first.binValue.size();
    const double n = static_cast<double>(files.size());
    std::vector<double> mean(bins, 0.0), between(bins, 0.0), within(bins, 0.0);
    for (std::size_t b = 0; b < bins; ++b) {
        std::vector<double> values;
        double errors = 0;
        for (const NpsForCombining& m : files) {
            values.push_back(m.binValue[b]);
            errors += m.binError[b] * m.binError[b];
        }
        const SampleSpread spread = sampleSpread(values);
        mean[b] = spread.mean;
        between[b] = spread.standardError;
        within[b] = std::sqrt(errors) / n;  // the per-image errors, propagated to the mean
    }
    std::vector<double> full(first.spectrumLength, 0.0);
    for (std::size_t b = 0; b < bins; ++b) full[b + 1] = mean[b];
    const SpectrumSummary summary =
        summarizeSpectrum(full, first.segmentLength, first.pixelSpacing, first.kept);
    double sd = 0;
    for (const NpsForCombining& m : files) sd += m.roiSd * m.roiSd;
    sd = std::sqrt(sd / n);
    double effective = 0;
    for (const NpsForCombining& m : files) effective += m.effectiveSegments;
    QualityFlags flags =
        spectrumFlags(mean, effective, first.kept.size() > 1 ? first.kept[1] : 1);
    std::vector<double> fullErrors(first.spectrumLength, 0.0);
    for (std::size_t b = 0; b < bins; ++b) fullErrors[b + 1] = within[b];
    for (QualityFlag& f : precisionFlagsOf(
             summary.integral, summary.meanFrequency, summary.peakFrequency,
             summaryErrors(full, fullErrors, first.segmentLength, first.pixelSpacing,
                           first.window, first.kept)))
        flags.push_back(std::move(f));
    if (wantsJson(line)) {
        return combinedResultLine("nps-combined", inputs, first.method,
                                  {{"frequency", numbersOf(first.binFrequency)},
                                   {"spectrum", numbersOf(mean)},
                                   {"imageStandardError", numbersOf(between)},
                                   {"standardError", numbersOf(within)},
                                   {"images", static_cast<int>(files.size())}},
                                  {{"peakFrequency", summary.peakFrequency},
                                   {"meanFrequency", summary.meanFrequency},
                                   {"integral", summary.integral},
                                   {"roiSd", sd},
                                   {"flags", flagsJson(flags)}});
    }
    noteFlags("mean spectrum", flags, notes);
    return {};
}

std::string runPhantom(const CommandLine& line) {
    PhantomSpec spec;
    spec.kind = line.files[0];
    if (spec.kind != "point" && spec.kind != "noise" && spec.kind != "uniform" &&
        spec.kind != "disk")
        throw UsageError("the phantom is point, noise, uniform or disk, not '%1'", {spec.kind});
    if (spec.kind == "point" || spec.kind == "disk") spec.sd = 0;
    if (spec.kind == "disk") spec.background = 0;  // water
    if (const auto size = line.integers("size", 2)) {
        spec.columns = (*size)[0];
        spec.rows = (*size)[1];
    }
    spec.spacing = line.real("spacing").value_or(spec.spacing);
    spec.sigma = line.real("sigma").value_or(spec.sigma);
    spec.profile = line.value("profile", spec.profile);
    if (spec.profile != "gaussian" && spec.profile != "exponential")
        throw UsageError("--profile takes gaussian or exponential, not '%1'", {spec.profile});
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
    spec.radius = line.real("radius").value_or(spec.radius);
    spec.contrast = line.real("contrast").value_or(spec.contrast);
    return writePhantom(line.files[1], spec, line.flags.count("dicom") != 0);
}

}  // namespace ctiq::cli
