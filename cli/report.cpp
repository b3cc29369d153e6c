#include "cli/report.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <optional>
#include <ostream>

#include "cli/commands.h"
#include "cli/plot.h"
#include "cli/report_html.h"
#include "cli/report_verdict.h"
#include "cli/task_commands.h"
#include "common/app_error.h"
#include "common/safe_file.h"
#include "common/version.h"

namespace ctiq::cli {
namespace {

struct Measured {
    std::string file;
    QJsonObject result;  // the --format json object
    QString chartPng;    // base64
};

std::vector<double> numbers(const QJsonValue& array) {
    std::vector<double> values;
    for (const QJsonValue& v : array.toArray()) values.push_back(v.toDouble());
    return values;
}

QString withSpread(const QJsonValue& v, const QJsonValue& spread, const QString& unit) {
    if (!v.isDouble() || !spread.isDouble()) return figure(v, unit);
    return "<span class=nb>" + QString::number(v.toDouble(), 'g', 4) + " ± " +
           QString::number(spread.toDouble(), 'g', 2) + "&nbsp;" + html(unit) + "</span>";
}

QString flagsHtml(const QJsonValue& flags) {
    const QJsonArray list = flags.toArray();
    if (list.isEmpty()) return "<p class=ok>No reliability flag.</p>";
    QString s = "<ul class=flags>";
    for (const QJsonValue& f : list)
        s += "<li><b>" + html(f["code"].toString()) + "</b>: " + html(f["text"].toString()) +
             "</li>";
    return s + "</ul>";
}

enum class Kind { Mtf, Spectrum, CombinedMtf };

// The chart of one result as PNG, base64 for an <img> that needs no other file.
QString chartOf(const QJsonObject& result, const std::string& title, Kind kind) {
    const QJsonObject results = result["results"].toObject();
    PlotRequest request;
    request.title = title;
    request.xTitle = "Spatial frequency (cycles/mm)";
    request.yTitle = kind == Kind::Spectrum ? "NPS (pixel value² · mm², HU² · mm² for CT)"
                                            : "MTF (1 at zero frequency)";
    request.x = numbers(results["frequency"]);
    request.y = numbers(results[kind == Kind::Spectrum ? "spectrum" : "mtf"]);
    if (kind != Kind::Mtf) request.band = numbers(results["standardError"]);
    return QString::fromLatin1(renderPlot(request, PlotFormat::Png).toBase64());
}

std::vector<QJsonObject> readBaseline(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw AppError(messages::cannotOpenFile(path));
    std::vector<QJsonObject> results;
    for (const QByteArray& lineText : file.readAll().split('\n')) {
        if (lineText.trimmed().isEmpty()) continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(lineText, &error);
        if (!doc.isObject())
            throw AppError("The baseline %1 holds a line that is not a JSON result (%2).",
                           {path, error.errorString().toStdString()});
        results.push_back(doc.object());
    }
    return results;
}

// The identity of an image as a reader files it: one cell per value, never broken inside.
QString identityTable(const QJsonObject& input) {
    const QJsonObject dicom = input["dicom"].toObject();
    struct Field {
        const char* key;
        const char* label;
        const char* unit;
    };
    const Field fields[] = {
        {"manufacturer", "Manufacturer", ""}, {"model", "Model", ""},
        {"stationName", "Station", ""},       {"studyDate", "Study date", ""},
        {"acquisitionDate", "Acquired", ""},  {"kernel", "Kernel", ""},
        {"kvp", "Tube voltage", "kV"},        {"exposureMas", "Exposure", "mAs"},
        {"sliceThickness", "Slice", "mm"},    {"sopInstanceUid", "SOP instance", ""},
    };
    QString s = "<p class=id>";
    if (!dicom.isEmpty()) {
        for (const Field& f : fields) {
            const QJsonValue v = dicom[f.key];
            QString text = v.isString() ? v.toString() : QString("–");
            if (v.isString() &&
                (QString(f.key) == "studyDate" || QString(f.key) == "acquisitionDate") &&
                text.size() == 8)
                text = text.left(4) + "-" + text.mid(4, 2) + "-" + text.mid(6, 2);
            s += "<span class=nb><b>" + html(QString(f.label)) + "</b> " + html(text) +
                 (v.isString() && *f.unit ? "&nbsp;" + html(QString(f.unit)) : QString()) +
                 "</span> ";
        }
    }
    s += "</p><p class=hash>" + QString::number(input["size"].toInteger()) + " bytes · SHA-256 " +
         html(input["sha256"].toString()) + "</p>";
    return s;
}

QString resultSection(const Measured& m, Kind kind) {
    const QJsonObject summary = m.result["summary"].toObject();
    const QJsonObject results = m.result["results"].toObject();
    QString s =
        "<section><h3>" + html(m.file) + "</h3>" + identityTable(m.result["input"].toObject());
    s += "<img alt=chart src=\"data:image/png;base64," + m.chartPng + "\">";
    s += "<table><tr><th>Figure</th><th>Value</th></tr>";
    if (kind == Kind::Mtf) {
        s += "<tr><td>MTF50</td><td>" + figure(summary["mtf50"], "c/mm") + "</td></tr>";
        s += "<tr><td>MTF10</td><td>" + figure(summary["mtf10"], "c/mm") + "</td></tr>";
        s += "<tr><td>FWHM of the LSF</td><td>" + figure(summary["fwhm"], "mm") + "</td></tr>";
        s += "<tr><td>Peak signal-to-noise</td><td>" + figure(summary["peakSnr"], "", 3) +
             "</td></tr>";
    } else {
        s += "<tr><td>Noise SD (ROI)</td><td>" + figure(summary["roiSd"], "HU") + "</td></tr>";
        s += "<tr><td>Peak frequency</td><td>" + figure(summary["peakFrequency"], "c/mm") +
             "</td></tr>";
        s += "<tr><td>Mean frequency</td><td>" + figure(summary["meanFrequency"], "c/mm") +
             "</td></tr>";
        s += "<tr><td>Integral</td><td>" + figure(summary["integral"], "HU²·mm") + "</td></tr>";
        s += "<tr><td>Segments (independent)</td><td>" + figure(results["segments"], "", 6) + " (" +
             figure(results["effectiveSegments"], "", 4) + ")</td></tr>";
    }
    s += "</table>" + flagsHtml(summary["flags"]);
    s += "<details><summary>Parameters</summary><pre>" +
         html(QString::fromUtf8(QJsonDocument(m.result["parameters"].toObject()).toJson())) +
         "</pre></details></section>";
    return s;
}

QString combinedSection(const QJsonObject& c, const QString& chartPng) {
    const QJsonObject summary = c["summary"].toObject();
    QString s = "<section><h3>Combined MTF of " +
                QString::number(c["results"].toObject()["images"].toInt()) +
                " images</h3><p>The LSFs less their far background, aligned on their peak "
                "centroids and averaged before the transform; the band is the standard error "
                "from the images' own MTFs; ± is the SD of the single images' figures.</p>";
    s += "<img alt=chart src=\"data:image/png;base64," + chartPng + "\">";
    s += "<table><tr><th>Figure</th><th>Value</th></tr>";
    s += "<tr><td>MTF50</td><td>" + withSpread(summary["mtf50"], summary["mtf50Spread"], "c/mm") +
         "</td></tr>";
    s += "<tr><td>MTF10</td><td>" + withSpread(summary["mtf10"], summary["mtf10Spread"], "c/mm") +
         "</td></tr>";
    s += "<tr><td>FWHM of the LSF</td><td>" +
         withSpread(summary["fwhm"], summary["fwhmSpread"], "mm") + "</td></tr></table>";
    return s + flagsHtml(summary["flags"]) + "</section>";
}

// A task-based result (2-D NPS or TTF of a set of slices) with its chart, figures and flags.
QString taskSection(const QJsonObject& r, bool nps2d) {
    const QJsonObject results = r["results"].toObject();
    const QJsonObject summary = r["summary"].toObject();
    PlotRequest request;
    request.title = nps2d ? "2-D NPS, radial average" : "TTF from the circular insert";
    request.xTitle = "Spatial frequency (cycles/mm)";
    request.yTitle = nps2d ? "NPS (HU² · mm²)" : "TTF (1 at zero frequency)";
    request.x = numbers(results["frequency"]);
    request.y = numbers(results[nps2d ? "nps" : "ttf"]);
    if (nps2d) request.band = numbers(results["standardError"]);
    const QString png = QString::fromLatin1(renderPlot(request, PlotFormat::Png).toBase64());
    QString s = "<section><h3>" + html(QString::fromStdString(request.title)) + " — " +
                QString::number(results["slices"].toInt()) + " slices</h3>";
    for (const QJsonValue& input : r["inputs"].toArray())
        s += "<p class=hash>" + html(input["path"].toString()) + "</p>" +
             identityTable(input.toObject());
    s += "<img alt=chart src=\"data:image/png;base64," + png + "\">";
    s += "<table><tr><th>Figure</th><th>Value</th></tr>";
    struct Row {
        const char* key;
        const char* label;
        const char* unit;
    };
    const std::vector<Row> rows =
        nps2d ? std::vector<Row>{{"sdFromSpectrum", "Noise SD from the spectrum", "HU"},
                                 {"meanRoiSd", "Mean ROI SD", "HU"},
                                 {"rawRoiSd", "Mean ROI SD before the detrend", "HU"},
                                 {"peakFrequency", "Peak frequency", "c/mm"},
                                 {"meanFrequency", "Mean frequency", "c/mm"},
                                 {"rois", "ROIs", ""}}
              : std::vector<Row>{{"ttf50", "TTF50", "c/mm"},       {"ttf10", "TTF10", "c/mm"},
                                 {"contrast", "Contrast", "HU"},   {"noiseSd", "Noise SD", "HU"},
                                 {"cnr", "Contrast-to-noise", ""}, {"radius", "Radius", "px"},
                                 {"centreX", "Centre x", "px"},    {"centreY", "Centre y", "px"}};
    for (const Row& row : rows)
        s += "<tr><td>" + html(QString(row.label)) + "</td><td>" +
             figure(summary[row.key], row.unit) + "</td></tr>";
    s += "</table>" + flagsHtml(summary["flags"]);
    s += "<details><summary>Parameters</summary><pre>" +
         html(QString::fromUtf8(QJsonDocument(r["parameters"].toObject()).toJson())) +
         "</pre></details></section>";
    return s;
}

std::optional<QJsonObject> parsedLine(const std::string& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json));
    if (!doc.isObject()) return std::nullopt;
    return doc.object();
}

}  // namespace

int runReport(const CommandLine& line, std::ostream& out, std::ostream& progress) {
    const std::string output = line.value("output", "");
    if (output.empty()) throw UsageError("report needs -o REPORT.html");
    const auto& mtfFiles =
        line.groups.count("mtf") ? line.groups.at("mtf") : std::vector<std::string>{};
    const auto& npsFiles =
        line.groups.count("nps") ? line.groups.at("nps") : std::vector<std::string>{};
    const auto& nps2dFiles =
        line.groups.count("nps2d") ? line.groups.at("nps2d") : std::vector<std::string>{};
    const auto& ttfFiles =
        line.groups.count("ttf") ? line.groups.at("ttf") : std::vector<std::string>{};
    if (mtfFiles.empty() && npsFiles.empty() && nps2dFiles.empty() && ttfFiles.empty())
        throw UsageError(
            "report needs images: --mtf POINT_IMAGE..., --nps UNIFORM_IMAGE..., --nps2d "
            "UNIFORM_SLICE... and/or --ttf INSERT_SLICE...");
    const double tolMtf50 = line.real("tol-mtf50").value_or(5);
    const double tolIntegral = line.real("tol-integral").value_or(10);
    const std::vector<QJsonObject> baseline = line.has("baseline")
                                                  ? readBaseline(line.value("baseline", ""))
                                                  : std::vector<QJsonObject>{};

    // Each image as `mtf` / `nps --format json` measures it, with the same image options and the
    // method options given for its kind.
    auto measuring = [&](const std::vector<std::pair<const char*, const char*>>& renamed,
                         const std::vector<std::string>& files) {
        CommandLine m = line;
        m.values["format"] = "json";
        for (const auto& [from, to] : renamed)
            if (line.has(from)) m.values[to] = line.value(from, "");
        m.rois.clear();
        if (m.has("roi")) m.rois.push_back(m.value("roi", ""));
        m.files = files;
        return m;
    };
    CommandLine measureMtf = measuring(
        {{"mtf-roi", "roi"}, {"mtf-lines", "lines"}, {"mtf-direction", "direction"}}, mtfFiles);
    measureMtf.command = "mtf";
    CommandLine measureNps =
        measuring({{"nps-lines", "lines"}, {"nps-direction", "direction"}}, npsFiles);
    measureNps.command = "nps";

    std::vector<Measured> mtf, nps;
    std::vector<MtfForCombining> mtfKept;  // for the combined MTF
    const std::size_t total = mtfFiles.size() + npsFiles.size();
    std::size_t done = 0;
    auto run = [&](const std::string& file, bool isMtf) {
        progress << "report: " << ++done << "/" << total << " " << file << "\n" << std::flush;
        std::string notes;
        Measured m;
        m.file = file;
        FileMeasured measured =
            isMtf ? runMtf(measureMtf, file, notes) : runNps(measureNps, file, notes);
        progress << notes;
        m.result = parsedLine(measured.rows).value_or(QJsonObject{});
        for (MtfForCombining& roi : measured.kept.mtf) mtfKept.push_back(std::move(roi));
        m.chartPng = chartOf(m.result, (isMtf ? "MTF — " : "Noise power spectrum — ") + file,
                             isMtf ? Kind::Mtf : Kind::Spectrum);
        (isMtf ? mtf : nps).push_back(std::move(m));
    };
    for (const std::string& f : mtfFiles) run(f, true);
    for (const std::string& f : npsFiles) run(f, false);
    // The task-based results: each set of slices is one ensemble.
    std::vector<std::pair<QJsonObject, bool>> tasks;
    for (const auto& [files, nps2d] : {std::pair{&nps2dFiles, true}, std::pair{&ttfFiles, false}}) {
        if (files->empty()) continue;
        progress << "report: " << (nps2d ? "2-D NPS" : "TTF") << " of " << files->size()
                 << " slices\n"
                 << std::flush;
        CommandLine task = line;
        task.command = nps2d ? "nps2d" : "ttf";
        task.values["format"] = "json";
        task.files = *files;
        std::string notes;
        const std::string json = nps2d ? runNps2d(task, notes) : runTtf(task, notes);
        progress << notes;
        if (const auto parsed = parsedLine(json)) tasks.emplace_back(*parsed, nps2d);
    }
    std::optional<QJsonObject> combined;
    if (wantsCombinedMtf(measureMtf)) {
        std::string notes;
        combined = parsedLine(runCombinedMtf(measureMtf, mtfKept, notes));
        progress << notes;
    }

    std::vector<QJsonObject> current;
    for (const auto* group : {&mtf, &nps})
        for (const Measured& m : *group) current.push_back(m.result);
    if (combined) current.push_back(*combined);

    const Judgement againstBaseline =
        judgeAgainstBaseline(current, baseline, tolMtf50, tolIntegral);
    const Judgement againstLimits = judgeAgainstLimits(line, current);
    const bool pass = againstBaseline.pass && againstLimits.pass;
    const QString verdict = verdictLine(againstBaseline, againstLimits, !baseline.empty());
    const QString& comparison = againstBaseline.rows;
    const QString& limitRows = againstLimits.rows;

    QString commandLine = "ctiq-cli";
    for (const std::string& a : line.arguments) commandLine += " " + QString::fromStdString(a);
    QString page =
        "<!DOCTYPE html><html lang=en><head><meta charset=utf-8><title>ctiq QA report</title>"
        "<style>body{font-family:sans-serif;margin:2em;max-width:1000px}img{width:100%}"
        "table{border-collapse:collapse;margin:.5em 0}td,th{border:1px solid #bbb;padding:.2em "
        ".6em;text-align:left}.pass{background:#e6f4e6}.fail{background:#fbe3e3}"
        ".nb{white-space:nowrap}.id "
        "span{margin-right:1.2em;display:inline-block}.hash{font-size:small;color:#555;"
        "overflow-wrap:anywhere}.flags{background:#fff6d6}.ok{color:#2a6a2a;font-size:small}"
        "code{overflow-wrap:anywhere}</style></head><body><h1>CT image quality report</h1>";
    page += "<p><b>" + html(verdict) + "</b></p>";
    page += "<p class=hash>ctiq-cli " + html(QString::fromStdString(programVersion())) +
            " · made " + html(QDateTime::currentDateTime().toString(Qt::ISODate)) + " · <code>" +
            html(commandLine) + "</code> · methods: docs/methods.md</p>";
    if (!comparison.isEmpty())
        page +=
            "<h2>Against the baseline</h2><table><tr><th>Figure</th><th>Baseline</th>"
            "<th>Now</th><th>Change</th><th>Tolerance</th><th>Verdict</th></tr>" +
            comparison + "</table>";
    if (!limitRows.isEmpty())
        page +=
            "<h2>Against the limits</h2><table><tr><th>Figure</th><th>Limit</th><th>Now</th>"
            "<th>Verdict</th></tr>" +
            limitRows + "</table>";
    if (!mtf.empty()) {
        page += "<h2>MTF (point object)</h2>";
        if (combined)
            page +=
                combinedSection(*combined, chartOf(*combined, "Combined MTF", Kind::CombinedMtf));
        for (const Measured& m : mtf) page += resultSection(m, Kind::Mtf);
    }
    if (!nps.empty()) {
        page += "<h2>Noise power spectrum (uniform phantom)</h2>";
        for (const Measured& m : nps) page += resultSection(m, Kind::Spectrum);
    }
    if (!tasks.empty()) {
        page += "<h2>Task-based measurements</h2>";
        for (const auto& [result, nps2d] : tasks) page += taskSection(result, nps2d);
    }
    page += "</body></html>\n";
    // Written whole or not at all: a failed write keeps an earlier report of the same name.
    const QByteArray bytes = page.toUtf8();
    saveFileSafely(output, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    out << output << "\n" << verdict.toStdString() << "\n";
    return pass ? 0 : 3;
}

}  // namespace ctiq::cli
