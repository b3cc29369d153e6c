#include "cli/task_commands.h"

#include "cli/printable_path.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/plot_request.h"
#include "cli/spectrum_image.h"
#include "cli/task_images.h"
#include "common/app_error.h"
#include "common/number_text.h"
#include "tasks/nps2d.h"
#include "tasks/ttf.h"

namespace ctiq::cli {
namespace {

// --roi places one ROI; these commands lay their own ROIs or follow an insert.
void refuseRoi(const CommandLine& line) {
    if (!line.rois.empty())
        throw UsageError(line.command == "nps2d"
                             ? "%1 does not take --roi; --region X,Y,W,H places its ROIs"
                             : "%1 does not take --roi",
                         {line.command});
}

// One file of the line, loaded with the image options, into `slice`.
void loadSlice(const CommandLine& line, const std::string& file, std::string& notes,
               TaskImage& slice, const tasks::PixelRegion* only = nullptr) {
    try {
        readTaskImage(loadImageFor(line, file, notes), pixelSpacingSource(line), slice, only);
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        throw AppError("%1: %2", {AppError(printablePath(file)), AppError::of(e)});
    }
}

// Every file of the line, loaded with the image options, in the order given.
std::vector<TaskImage> loadSlices(const CommandLine& line, std::string& notes) {
    refuseRoi(line);
    std::vector<TaskImage> slices;
    for (const std::string& file : line.files) loadSlice(line, file, notes, slices.emplace_back());
    return slices;
}

std::vector<tasks::ImageView> viewsOf(const std::vector<TaskImage>& slices) {
    std::vector<tasks::ImageView> views;
    for (const TaskImage& s : slices) views.push_back(s.view());
    return views;
}

QJsonArray inputsOf(const CommandLine& line) {
    QJsonArray inputs;
    for (const std::string& file : line.files) inputs.append(inputIdentity(file));
    return inputs;
}

std::string flagCodes(const QualityFlags& flags) {
    std::string codes;
    for (const QualityFlag& f : flags) codes += (codes.empty() ? "" : ", ") + f.code;
    return codes.empty() ? "none" : codes;
}

}  // namespace

std::string figure(double v, int decimals) {
    return std::isfinite(v) ? fixedText(v, decimals) : "n/a";
}

namespace {

// A table cell: every digit for scripts, "n/a" where there is no number.
std::string cell(double v) {
    return std::isfinite(v) ? FloatToStr(v) : "n/a";
}

std::string row(const std::string& name, const std::string& value) {
    return name + "\t" + value + "\r\n";
}

// The title of a chart over several slices.
std::string filesTitle(const CommandLine& line) {
    const std::size_t more = line.files.size() - 1;
    return line.files.front() +
           (more ? " and " + std::to_string(more) + (more == 1 ? " more slice" : " more slices")
                 : "");
}

std::optional<std::string> plotFile(const CommandLine& line) {
    if (!line.has("plot")) return std::nullopt;
    if (!currentPlotWriter()) throw UsageError("--plot is not available here");
    return line.value("plot", "");
}

tasks::Detrend detrendOf(const std::string& name) {
    if (name == "mean") return tasks::Detrend::Mean;
    if (name == "plane") return tasks::Detrend::Plane;
    if (name == "quadratic") return tasks::Detrend::Quadratic;
    throw UsageError("--detrend takes mean, plane or quadratic, not '%1'", {name});
}

const std::string kPlotHelp =
    "  --plot FILE.png|.svg    also draw the curve with the summary figures\n";

}  // namespace

bool isTaskCommand(const std::string& command) {
    return command == "nps2d" || command == "ttf" || command == "dprime";
}

std::string runTaskCommand(const CommandLine& line, std::string& notes) {
    if (line.command == "nps2d") return runNps2d(line, notes);
    if (line.command == "ttf") return runTtf(line, notes);
    return runDprime(line, notes);
}

std::string runNps2d(const CommandLine& line, std::string& notes) {
    tasks::Nps2dParameters p;
    p.roiSize = line.integer("roi-size").value_or(128);
    p.gridStep = line.integer("grid").value_or(p.roiSize / 2);
    const std::string detrend = line.value("detrend", "quadratic");
    p.detrend = detrendOf(detrend);
    if (const auto region = line.integers("region", 4))
        p.region = tasks::PixelRegion{(*region)[0], (*region)[1], (*region)[2], (*region)[3]};
    const auto plot = plotFile(line);
    const std::string image = line.value("spectrum-image", "");
    if (line.has("spectrum-image") &&
        (image.size() < 4 || image.compare(image.size() - 4, 4, ".pgm") != 0))
        throw UsageError("--spectrum-image writes a .pgm file, not '%1'", {image});
    const bool full = line.flags.count("full") != 0;
    if (full && !wantsJson(line)) throw UsageError("--full adds the 2-D spectrum to --format json");

    // One slice at a time, each read into the same buffer and its ROIs added: a series of any
    // length takes the memory of one slice, and of the slices after the first only the region,
    // all the ensemble reads, is read. Every file is loaded before the ensemble's refusal of a
    // slice is told, as when all were loaded first.
    refuseRoi(line);
    TaskImage slice;
    std::int32_t columns = 0, rows = 0;
    tasks::PixelRegion region;
    std::optional<tasks::Nps2dEnsemble> ensemble;
    std::exception_ptr refusal;
    for (const std::string& file : line.files) {
        loadSlice(line, file, notes, slice, ensemble ? &region : nullptr);
        if (!ensemble) {
            // No region given: the central 256 x 256 pixels (or all of a smaller image), stated
            // here so that the output can say where the ROIs lay.
            columns = slice.columns;
            rows = slice.rows;
            const std::int32_t width = std::min(256, columns), height = std::min(256, rows);
            region = p.region.value_or(
                tasks::PixelRegion{columns / 2 - width / 2, rows / 2 - height / 2, width, height});
            p.region = region;
            ensemble.emplace(p);
        }
        if (refusal) continue;
        try {
            ensemble->add(slice.view());
        } catch (const AppError&) {
            refusal = std::current_exception();
        }
    }
    if (refusal) std::rethrow_exception(refusal);
    if (!ensemble) throw AppError("No image was given.");
    const tasks::Nps2dResult r = ensemble->result();
    const std::size_t slices = line.files.size();

    std::vector<double> frequency, value, error;
    for (const tasks::RadialBin& b : r.radial) {
        frequency.push_back(b.frequency);
        value.push_back(b.value);
        error.push_back(b.standardError);
    }
    const std::vector<double> shifted =
        full || plot || line.has("spectrum-image") ? r.shifted() : std::vector<double>{};
    if (line.has("spectrum-image")) writeSpectrumPgm(image, shifted, r.roiSize);
    const std::string summaryLine =
        "noise SD " + figure(r.sdFromSpectrum, 2) + " HU, peak " + figure(r.peakFrequency, 3) +
        " c/mm, mean " + figure(r.meanFrequency, 3) + " c/mm, " + std::to_string(r.rois) + " ROIs";
    if (plot) {
        const bool banded = r.rois > 1;
        PlotRequest request =
            curvePlot(*plot, "2-D NPS, radial average — " + filesTitle(line), summaryLine,
                      "Spatial frequency (cycles/mm)", "NPS (HU²·mm²)", frequency, value,
                      banded ? error : std::vector<double>{});
        // Beside it the 2-D spectrum itself, as --spectrum-image draws it (the PGM's pixels).
        const std::vector<std::uint8_t> pgm = spectrumPgm(shifted, r.roiSize);
        const std::size_t pixels = static_cast<std::size_t>(r.roiSize) * r.roiSize;
        request.picture.assign(pgm.end() - static_cast<std::ptrdiff_t>(pixels), pgm.end());
        request.pictureSize = r.roiSize;
        request.pictureCaption =
            "2-D NPS, log scale over six decades; zero frequency at the centre";
        currentPlotWriter()(request);
    }

    if (wantsJson(line)) {
        QJsonObject parameters{
            {"roiSize", r.roiSize},
            {"gridStep", p.gridStep},
            {"region", QJsonObject{{"x", region.x},
                                   {"y", region.y},
                                   {"width", region.width},
                                   {"height", region.height}}},
            {"detrend", QString::fromStdString(detrend)},
            {"columns", columns},
            {"rows", rows},
            {"pixelSpacingMm", r.spacingX},
        };
        QJsonArray samples;
        for (const tasks::RadialBin& b : r.radial) samples.append(b.samples);
        QJsonObject results{{"frequency", numbersOf(frequency)},
                            {"nps", numbersOf(value)},
                            {"standardError", numbersOf(error)},
                            {"ringSamples", samples},
                            {"slices", static_cast<int>(slices)}};
        if (full)
            results["spectrum2d"] = QJsonObject{{"n", r.roiSize},
                                                {"spacingXMm", r.spacingX},
                                                {"spacingYMm", r.spacingY},
                                                {"order", "shifted"},
                                                {"values", numbersOf(shifted)}};
        return combinedResultLine("nps2d", inputsOf(line), parameters, results,
                                  {{"sdFromSpectrum", r.sdFromSpectrum},
                                   {"meanRoiSd", r.meanRoiSd},
                                   {"rawRoiSd", r.rawRoiSd},
                                   {"peakFrequency", r.peakFrequency},
                                   {"meanFrequency", r.meanFrequency},
                                   {"meanFrequencyRelativeSe", r.meanFrequencyRelativeSe},
                                   {"peakFrequencyRelativeSe", numberOrNull(r.peakFrequencyRelativeSe)},
                                   {"independentRois", r.independentRois},
                                   {"nyquist", r.nyquist},
                                   {"rois", r.rois},
                                   {"flags", flagsJson(r.flags)}});
    }
    noteFlags("nps2d", r.flags, notes);
    std::string text;
    text += row("Slices", std::to_string(slices));
    text += row("ROIs", std::to_string(r.rois) + " of " + std::to_string(r.roiSize) + " x " +
                            std::to_string(r.roiSize) + " px, step " + std::to_string(p.gridStep) +
                            ", " + detrend + " detrend");
    text += row("Noise SD from the spectrum", figure(r.sdFromSpectrum, 3) + " HU");
    text += row("Mean ROI SD", figure(r.meanRoiSd, 3) + " HU");
    text += row("Mean ROI SD before the detrend", figure(r.rawRoiSd, 3) + " HU");
    text += row("Peak frequency", figure(r.peakFrequency, 4) + " c/mm");
    text += row("Mean frequency", figure(r.meanFrequency, 4) + " c/mm");
    text += row("Flags", flagCodes(r.flags));
    text += "c/mm\tNPS (HU²·mm²)\tSE\r\n";
    for (std::size_t k = 0; k < frequency.size(); ++k)
        text += cell(frequency[k]) + "\t" + cell(value[k]) + "\t" + cell(error[k]) + "\r\n";
    return text;
}

std::string runTtf(const CommandLine& line, std::string& notes) {
    tasks::TtfParameters p;
    const auto centre = line.reals("centre", 2);
    const auto radius = line.real("radius");
    if (!centre || !radius) throw UsageError("ttf needs --centre X,Y and --radius R (pixels)");
    p.centreX = (*centre)[0];
    p.centreY = (*centre)[1];
    p.radius = *radius;
    p.contrastHint = line.real("contrast");
    const auto plot = plotFile(line);

    const std::vector<TaskImage> slices = loadSlices(line, notes);
    const std::vector<tasks::ImageView> views = viewsOf(slices);
    const tasks::TtfResult r = tasks::computeTtf(views, p);
    const double cnr =
        r.noiseSd > 0 ? std::abs(r.contrast) / r.noiseSd : std::numeric_limits<double>::quiet_NaN();
    const std::string summaryLine =
        "TTF50 " + figure(r.ttf50, 3) + " c/mm, TTF10 " + figure(r.ttf10, 3) + " c/mm; contrast " +
        figure(r.contrast, 1) + " HU, noise SD " + figure(r.noiseSd, 2) + " HU";
    if (plot) {
        PlotRequest request = curvePlot(*plot, "TTF — " + filesTitle(line), summaryLine,
                                        "Spatial frequency (cycles/mm)", "TTF", r.frequency, r.ttf);
        request.second =
            PlotRequest::Panel{"Edge spread function, all slices", "Distance from the centre (px)",
                               "Mean value (HU)", r.distance, r.esf};
        currentPlotWriter()(request);
    }
    if (wantsJson(line)) {
        return combinedResultLine(
            "ttf", inputsOf(line),
            {{"centreX", p.centreX},
             {"centreY", p.centreY},
             {"radius", p.radius},
             {"contrastHint", p.contrastHint ? QJsonValue(*p.contrastHint) : QJsonValue()},
             {"columns", slices[0].columns},
             {"rows", slices[0].rows},
             {"pixelSpacingMm", r.spacing}},
            {{"frequency", numbersOf(r.frequency)},
             {"ttf", numbersOf(r.ttf)},
             {"distance", numbersOf(r.distance)},
             {"esf", numbersOf(r.esf)},
             {"lsf", numbersOf(r.lsf)},
             {"slices", static_cast<int>(slices.size())}},
            {{"centreX", r.centreX},
             {"centreY", r.centreY},
             {"radius", r.radius},
             {"edgeWidth", r.edgeWidth},
             {"contrast", r.contrast},
             {"noiseSd", r.noiseSd},
             {"cnr", numberOrNull(cnr)},
             {"ttf50", numberOrNull(r.ttf50)},
             {"ttf10", numberOrNull(r.ttf10)},
             {"conditioning", QString::fromStdString(r.conditioning)},
             {"misfit", numberOrNull(r.misfit)},
             {"tailShare", numberOrNull(r.tailShare)},
             {"insideShare", numberOrNull(r.insideShare)},
             {"ttf50Se", numberOrNull(r.ttf50Se)},
             {"ttf10Se", numberOrNull(r.ttf10Se)},
             {"curveSe", numberOrNull(r.curveSe)},
             {"flags", flagsJson(r.flags)}});
    }
    noteFlags("ttf", r.flags, notes);
    std::string text;
    text += row("Slices", std::to_string(slices.size()));
    text += row("Centre", figure(r.centreX, 3) + ", " + figure(r.centreY, 3) + " px (from " +
                              FloatToStr(p.centreX) + ", " + FloatToStr(p.centreY) + ")");
    text += row("Radius", figure(r.radius, 3) + " px (" + figure(r.radius * r.spacing, 3) + " mm)");
    text += row("Edge width", figure(r.edgeWidth, 3) + " px");
    text += row("Contrast", figure(r.contrast, 2) + " HU");
    text += row("Noise SD", figure(r.noiseSd, 3) + " HU");
    text += row("CNR", figure(cnr, 2));
    text += row("TTF50", figure(r.ttf50, 4) + " c/mm");
    text += row("TTF10", figure(r.ttf10, 4) + " c/mm");
    text += row("Flags", flagCodes(r.flags));
    text += "c/mm\tTTF\r\n";
    for (std::size_t k = 0; k < r.frequency.size(); ++k)
        text += cell(r.frequency[k]) + "\t" + cell(r.ttf[k]) + "\r\n";
    return text;
}

std::string taskUsage(const std::string& command) {
    const std::string image =
        "Image options: --mode, --size, --header, --offset, --swap, --verbose, --spacing, --frame as for "
        "stats (values in HU: sample + offset)\n";
    const std::string json =
        "  --format text|json   json: one line for the whole run (docs/results.schema.json)\n";
    if (command == "nps2d")
        return "Usage: ctiq-cli nps2d [options] FILE...\n"
               "The 2-D noise power spectrum of the files as one ensemble (slices of one series "
               "of a uniform phantom): square ROIs on a grid, each less its fitted surface, "
               "|FFT|² averaged. Prints the noise SD from the spectrum's integral and the ROIs' "
               "mean SD (HU), the peak and mean frequency (c/mm), the ROI count and flags, then "
               "the radial average: c/mm, NPS (HU²·mm²) and its standard error over the ROIs.\n" +
               image +
               "  --roi-size N            ROI side, even, at least 8 (default 128)\n"
               "  --grid STEP             between ROI origins (default N/2)\n"
               "  --region X,Y,W,H        where the ROIs lie (default: the central 256 x 256)\n"
               "  --detrend mean|plane|quadratic  surface taken from each ROI (default "
               "quadratic)\n"
               "  --full                  json: add the 2-D spectrum (zero frequency at n/2, "
               "n/2), which dprime reads\n"
               "  --spectrum-image F.pgm  the 2-D spectrum as an 8-bit PGM, log scale over six "
               "decades below its largest value\n" +
               json + kPlotHelp;
    if (command == "ttf")
        return "Usage: ctiq-cli ttf --centre X,Y --radius R [options] FILE...\n"
               "The task transfer function of a circular insert, pooled over the files (slices "
               "of one series): the centre refined by a fit, the edge spread function binned at "
               "0.1 px, a two-Gaussian edge model transformed. Prints the refined centre, "
               "radius, contrast, noise SD, CNR, TTF50, TTF10 and flags, then c/mm and TTF.\n" +
               image +
               "  --centre X,Y     the insert's centre, pixel coordinates (first guess)\n"
               "  --radius R       its radius in pixels\n"
               "  --contrast HU    the insert less the background, when known\n" +
               json + kPlotHelp;
    if (command == "dprime")
        return "Usage: ctiq-cli dprime --ttf TTF.jsonl --nps NPS.jsonl --task "
               "disk:DIAMETER_MM:CONTRAST_HU [--observer npw|npwe|both] [--format text|json]\n"
               "The detectability index d' of the non-prewhitening observer, without (NPW) and "
               "with the eye filter (NPWE, 500 mm viewing distance), from the lines of "
               "'ttf --format json' and 'nps2d --format json --full'. Both from images of one "
               "pixel spacing.\n";
    return {};
}

}  // namespace ctiq::cli
