// dprime: the detectability index of a disk task from the JSON lines of ttf and nps2d --full.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>
#include <vector>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/plot_request.h"
#include "cli/task_commands.h"
#include "common/app_error.h"
#include "common/number_text.h"
#include "load/file_reading.h"
#include "tasks/dprime.h"

namespace ctiq::cli {
namespace {

// The one result line of `command` in a file of JSON lines (other commands' lines are passed
// over: a run may have written several results into one file).
QJsonObject resultOf(const std::string& path, const std::string& command,
                     const std::string& howToWrite) {
    ImageBytes bytes;
    readWholeFile(path, bytes);
    const std::string text(bytes.begin(), bytes.end());
    std::vector<QJsonObject> found;
    std::size_t start = 0, number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string lineText = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (lineText.find_first_not_of(" \t\r") == std::string::npos) continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray(lineText.data(), static_cast<qsizetype>(lineText.size())), &error);
        if (!document.isObject())
            throw AppError("%1: line %2 is not a JSON object of ctiq-cli --format json.",
                           {path, std::to_string(number)});
        if (document.object().value("command").toString().toStdString() == command)
            found.push_back(document.object());
    }
    if (found.empty())
        throw AppError("%1 holds no %2 result; write one with %3.", {path, command, howToWrite});
    if (found.size() > 1)
        throw AppError("%1 holds %2 %3 results; give a file with one.",
                       {path, std::to_string(found.size()), command});
    return found.front();
}

// An array of numbers, refused when missing or holding anything else.
std::vector<double> numbersIn(const QJsonObject& object, const char* key, const AppError& what) {
    const QJsonValue value = object.value(key);
    if (!value.isArray() || value.toArray().isEmpty())
        throw AppError("%1 has no \"%2\" array.", {what, AppError(std::string(key))});
    std::vector<double> out;
    for (const QJsonValue& v : value.toArray()) {
        if (!v.isDouble())
            throw AppError("%1: \"%2\" holds a value that is not a number.",
                           {what, AppError(std::string(key))});
        out.push_back(v.toDouble());
    }
    return out;
}

double numberIn(const QJsonObject& object, const char* key, const AppError& what) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        throw AppError("%1 has no number \"%2\".", {what, AppError(std::string(key))});
    return value.toDouble();
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

}  // namespace

std::string runDprime(const CommandLine& line, std::string& notes) {
    if (!line.has("ttf") || !line.has("nps") || !line.has("task"))
        throw UsageError(
            "dprime needs --ttf TTF.jsonl, --nps NPS.jsonl and --task "
            "disk:DIAMETER_MM:CONTRAST_HU");
    const std::string observer = line.value("observer", "both");
    if (observer != "npw" && observer != "npwe" && observer != "both")
        throw UsageError("--observer takes npw, npwe or both, not '%1'", {observer});
    const tasks::DiskTask task = tasks::parseTask(line.value("task", ""));
    const std::string ttfPath = line.value("ttf", ""), npsPath = line.value("nps", "");

    const QJsonObject ttfLine = resultOf(ttfPath, "ttf", "ctiq-cli ttf --format json");
    const AppError ttfWhat("%1: the ttf result", {ttfPath});
    tasks::TtfCurve ttf;
    ttf.frequency = numbersIn(ttfLine.value("results").toObject(), "frequency", ttfWhat);
    ttf.value = numbersIn(ttfLine.value("results").toObject(), "ttf", ttfWhat);
    ttf.spacing = numberIn(ttfLine.value("parameters").toObject(), "pixelSpacingMm", ttfWhat);
    if (ttf.frequency.size() != ttf.value.size())
        throw AppError("%1 has %2 frequencies but %3 TTF values.",
                       {ttfWhat, AppError(std::to_string(ttf.frequency.size())),
                        AppError(std::to_string(ttf.value.size()))});

    const QJsonObject npsLine = resultOf(npsPath, "nps2d", "ctiq-cli nps2d --format json --full");
    const AppError npsWhat("%1: the nps2d result", {npsPath});
    const QJsonValue grid = npsLine.value("results").toObject().value("spectrum2d");
    if (!grid.isObject())
        throw AppError("%1 has no 2-D spectrum; write it with nps2d --format json --full.",
                       {npsWhat});
    const QJsonObject spectrum = grid.toObject();
    const AppError gridWhat("%1: the nps2d result's 2-D spectrum", {npsPath});
    const double size = numberIn(spectrum, "n", gridWhat);
    const std::vector<double> shifted = numbersIn(spectrum, "values", gridWhat);
    if (!(size >= 2 && size == std::floor(size) && std::fmod(size, 2) == 0 &&
          shifted.size() == static_cast<std::size_t>(size) * static_cast<std::size_t>(size)))
        throw AppError("%1 is not an even n x n grid of values.", {gridWhat});
    if (spectrum.value("order").toString() != "shifted")
        throw AppError("%1 is not in the shifted order nps2d writes.", {gridWhat});
    // Back to the transform order the computation takes: for even n the shift is its own
    // inverse.
    const auto n = static_cast<std::int32_t>(size);
    std::vector<double> transformOrder(shifted.size());
    for (std::int32_t r = 0; r < n; ++r)
        for (std::int32_t c = 0; c < n; ++c)
            transformOrder[static_cast<std::size_t>((r + n / 2) % n) * n + (c + n / 2) % n] =
                shifted[static_cast<std::size_t>(r) * n + c];
    // Results written before nps2d reported its independent ROIs give no precision of d'.
    const tasks::NpsGrid nps{
        n, numberIn(spectrum, "spacingXMm", gridWhat), numberIn(spectrum, "spacingYMm", gridWhat),
        transformOrder,
        npsLine.value("summary").toObject().value("independentRois").toDouble(0)};

    const tasks::EyeFilter eye;
    const tasks::Detectability d = tasks::detectability(task, ttf, nps, eye);
    const double npw = observer == "npwe" ? kNone : d.npw;
    const double npwe = observer == "npw" ? kNone : d.npwe;

    const QJsonObject ttfSummary = ttfLine.value("summary").toObject();
    const QJsonObject npsSummary = npsLine.value("summary").toObject();
    if (line.has("plot")) {
        // The inputs d′ combines: the TTF, and beside it the spectrum's radial average.
        if (!currentPlotWriter()) throw UsageError("--plot is not available here");
        PlotRequest request =
            curvePlot(line.value("plot", ""),
                      "d′ inputs — disk " + FloatToStr(task.diameterMm) + " mm, " +
                          FloatToStr(task.contrastHu) + " HU",
                      "d′ NPW " + figure(d.npw, 4) + ", NPWE " + figure(d.npwe, 4),
                      "Spatial frequency (cycles/mm)", "TTF", ttf.frequency, ttf.value);
        const QJsonObject npsResults = npsLine.value("results").toObject();
        request.second = PlotRequest::Panel{"NPS, radial average (" + npsPath + ")",
                                            "Spatial frequency (cycles/mm)", "NPS (HU²·mm²)",
                                            numbersIn(npsResults, "frequency", npsWhat),
                                            numbersIn(npsResults, "nps", npsWhat)};
        currentPlotWriter()(request);
    }
    if (wantsJson(line)) {
        QJsonObject ttfInput = inputIdentity(ttfPath), npsInput = inputIdentity(npsPath);
        ttfInput["role"] = "ttf";
        npsInput["role"] = "nps";
        return combinedResultLine("dprime", QJsonArray{ttfInput, npsInput},
                                  {{"task", QJsonObject{{"shape", "disk"},
                                                        {"diameterMm", task.diameterMm},
                                                        {"contrastHu", task.contrastHu}}},
                                   {"observer", QString::fromStdString(observer)},
                                   {"viewingDistanceMm", eye.viewingDistanceMm},
                                   {"displayScale", eye.displayScale},
                                   {"pixelSpacingMm", ttf.spacing}},
                                  {{"ttf50", ttfSummary.value("ttf50")},
                                   {"ttfContrast", ttfSummary.value("contrast")},
                                   {"npsSd", npsSummary.value("sdFromSpectrum")},
                                   {"npsRoiSize", n}},
                                  {{"npw", numberOrNull(npw)},
                                   {"npwe", numberOrNull(npwe)},
                                   {"npwRelativeSe", numberOrNull(observer == "npwe"
                                                                      ? kNone
                                                                      : d.npwRelativeSe)},
                                   {"npweRelativeSe", numberOrNull(observer == "npw"
                                                                       ? kNone
                                                                       : d.npweRelativeSe)},
                                   {"flags", flagsJson(d.flags)}});
    }
    noteFlags("dprime", d.flags, notes);
    std::string text;
    text += "Task\tdisk " + FloatToStr(task.diameterMm) + " mm, " + FloatToStr(task.contrastHu) +
            " HU\r\n";
    text += "TTF\t" + ttfPath + " (TTF50 " + figure(ttfSummary.value("ttf50").toDouble(kNone), 4) +
            " c/mm)\r\n";
    text += "NPS\t" + npsPath + " (" + std::to_string(n) + " x " + std::to_string(n) +
            ", noise SD " + figure(npsSummary.value("sdFromSpectrum").toDouble(kNone), 3) +
            " HU)\r\n";
    if (std::isfinite(npw)) text += "d' NPW\t" + figure(npw, 4) + "\r\n";
    if (std::isfinite(npwe))
        text += "d' NPWE\t" + figure(npwe, 4) + " (eye filter at " +
                FloatToStr(eye.viewingDistanceMm) + " mm)\r\n";
    return text;
}

}  // namespace ctiq::cli
