#include "cli/report.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <ostream>

#include "cli/commands.h"
#include "cli/plot.h"
#include "common/app_error.h"
#include "common/safe_file.h"

namespace ctiq::cli {
namespace {

struct Measured {
    std::string file;
    QJsonObject result;  // the --format json object
    QString chartPng;    // base64
};

QString html(const QString& text) {
    return text.toHtmlEscaped();
}

QString html(const std::string& text) {
    return html(QString::fromStdString(text));
}

std::vector<double> numbers(const QJsonValue& array) {
    std::vector<double> values;
    for (const QJsonValue& v : array.toArray()) values.push_back(v.toDouble());
    return values;
}

QString figure(const QJsonValue& v, const char* unit) {
    return v.isDouble() ? QString::number(v.toDouble(), 'g', 5) + unit : QString("–");
}

// The chart of one result as PNG, base64 for an <img> that needs no other file.
QString chartOf(const Measured& m, bool mtf) {
    const QJsonObject results = m.result["results"].toObject();
    PlotRequest request;
    request.title = (mtf ? "MTF — " : "Wiener spectrum — ") + m.file;
    request.xTitle = "Spatial frequency (cycles/mm)";
    request.yTitle = mtf ? "Value of MTF" : "Wiener spectral value (mm*mm)";
    request.x = numbers(results["frequency"]);
    request.y = numbers(results[mtf ? "mtf" : "spectrum"]);
    if (!mtf) request.band = numbers(results["standardError"]);
    return QString::fromLatin1(renderPlot(request, PlotFormat::Png).toBase64());
}

// The mean of one summary figure over the results of a command (NaN when there is none).
double meanOf(const std::vector<QJsonObject>& results, const char* command, const char* key) {
    double sum = 0;
    int count = 0;
    for (const QJsonObject& r : results) {
        const QJsonValue v = r["summary"].toObject()[key];
        if (r["command"].toString() == command && v.isDouble()) sum += v.toDouble(), ++count;
    }
    return count ? sum / count : std::nan("");
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
            throw AppError("The baseline " + path + " holds a line that is not a JSON result (" +
                           error.errorString().toStdString() + ").");
        results.push_back(doc.object());
    }
    return results;
}

QString resultSection(const Measured& m, bool mtf) {
    const QJsonObject input = m.result["input"].toObject();
    const QJsonObject summary = m.result["summary"].toObject();
    QString s = "<section><h3>" + html(m.file) + "</h3>";
    s += "<p class=id>SHA-256 " + html(input["sha256"].toString()) + " · " +
         QString::number(input["size"].toInteger()) + " bytes";
    const QJsonObject dicom = input["dicom"].toObject();
    for (auto it = dicom.begin(); it != dicom.end(); ++it)
        if (it.value().isString()) s += " · " + html(it.key()) + " " + html(it.value().toString());
    s += "</p><img alt=chart src=\"data:image/png;base64," + m.chartPng + "\">";
    s += "<table><tr><th>Figure</th><th>Value</th></tr>";
    if (mtf) {
        s += "<tr><td>MTF50</td><td>" + figure(summary["mtf50"], " c/mm") + "</td></tr>";
        s += "<tr><td>MTF10</td><td>" + figure(summary["mtf10"], " c/mm") + "</td></tr>";
        s += "<tr><td>FWHM</td><td>" + figure(summary["fwhm"], " mm") + "</td></tr>";
    } else {
        s += "<tr><td>Peak frequency</td><td>" + figure(summary["peakFrequency"], " c/mm") +
             "</td></tr>";
        s += "<tr><td>Mean frequency</td><td>" + figure(summary["meanFrequency"], " c/mm") +
             "</td></tr>";
        s += "<tr><td>Integral</td><td>" + figure(summary["integral"], "") + "</td></tr>";
    }
    s += "</table><details><summary>Parameters</summary><pre>" +
         html(QString::fromUtf8(QJsonDocument(m.result["parameters"].toObject()).toJson())) +
         "</pre></details></section>";
    return s;
}

}  // namespace

int runReport(const CommandLine& line, std::ostream& out, std::ostream& progress) {
    const std::string output = line.value("output", "");
    if (output.empty()) throw UsageError("report needs -o REPORT.html");
    const auto& mtfFiles =
        line.groups.count("mtf") ? line.groups.at("mtf") : std::vector<std::string>{};
    const auto& npsFiles =
        line.groups.count("nps") ? line.groups.at("nps") : std::vector<std::string>{};
    if (mtfFiles.empty() && npsFiles.empty())
        throw UsageError("report needs images: --mtf POINT_IMAGE... and/or --nps UNIFORM_IMAGE...");
    const double tolMtf50 = line.real("tol-mtf50").value_or(5);
    const double tolIntegral = line.real("tol-integral").value_or(10);
    const std::vector<QJsonObject> baseline = line.has("baseline")
                                                  ? readBaseline(line.value("baseline", ""))
                                                  : std::vector<QJsonObject>{};

    // Each image as `mtf` / `nps --format json` measures it, with the same image options.
    CommandLine measure = line;
    measure.values["format"] = "json";
    if (line.has("mtf-roi")) measure.values["roi"] = line.value("mtf-roi", "");
    CommandLine measureNps = line;
    measureNps.values["format"] = "json";
    std::vector<Measured> mtf, nps;
    const std::size_t total = mtfFiles.size() + npsFiles.size();
    std::size_t done = 0;
    auto run = [&](const std::string& file, bool isMtf) {
        progress << "report: " << ++done << "/" << total << " " << file << "\n" << std::flush;
        std::string notes;
        Measured m;
        m.file = file;
        const std::string json =
            isMtf ? runMtf(measure, file, notes) : runNps(measureNps, file, notes);
        progress << notes;
        m.result = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
        m.chartPng = chartOf(m, isMtf);
        (isMtf ? mtf : nps).push_back(std::move(m));
    };
    for (const std::string& f : mtfFiles) run(f, true);
    for (const std::string& f : npsFiles) run(f, false);

    std::vector<QJsonObject> current;
    for (const auto* group : {&mtf, &nps})
        for (const Measured& m : *group) current.push_back(m.result);
    struct Check {
        const char* name;
        const char* command;
        const char* key;
        double tolerance;
    };
    const Check checks[] = {{"MTF50 (mean)", "mtf", "mtf50", tolMtf50},
                            {"Noise integral (mean)", "nps", "integral", tolIntegral}};
    bool pass = true;
    int compared = 0;
    QString comparison;
    for (const Check& c : checks) {
        const double now = meanOf(current, c.command, c.key);
        const double before = meanOf(baseline, c.command, c.key);
        if (std::isnan(now) || std::isnan(before) || before == 0) continue;
        ++compared;
        const double change = (now - before) / before * 100;
        const bool ok = std::abs(change) <= c.tolerance;
        pass = pass && ok;
        comparison += QString(
                          "<tr class=%1><td>%2</td><td>%3</td><td>%4</td><td>%5 %</td>"
                          "<td>±%6 %</td><td>%7</td></tr>")
                          .arg(ok ? "pass" : "fail", c.name, QString::number(before, 'g', 5),
                               QString::number(now, 'g', 5), QString::number(change, 'f', 2),
                               QString::number(c.tolerance), ok ? "pass" : "FAIL");
    }
    const QString verdict = baseline.empty() || compared == 0
                                ? "no baseline: figures recorded"
                                : (pass ? "PASS" : "FAIL") +
                                      QString(" against the baseline (%1 figures)").arg(compared);

    QString page =
        "<!DOCTYPE html><html lang=en><head><meta charset=utf-8><title>ctiq QA report</title>"
        "<style>body{font-family:sans-serif;margin:2em;max-width:960px}img{width:100%}"
        "table{border-collapse:collapse;margin:.5em 0}td,th{border:1px solid #bbb;padding:.2em "
        ".6em}.pass{background:#e6f4e6}.fail{background:#fbe3e3}.id{font-size:small;color:#555;"
        "word-break:break-all}</style></head><body><h1>CT image quality report</h1>";
    page += "<p>ctiq-cli " +
            html(current.empty() ? QString()
                                 : current.front()["program"].toObject()["version"].toString()) +
            " · <b>" + html(verdict) + "</b></p>";
    if (!comparison.isEmpty())
        page +=
            "<h2>Against the baseline</h2><table><tr><th>Figure</th><th>Baseline</th>"
            "<th>Now</th><th>Change</th><th>Tolerance</th><th>Verdict</th></tr>" +
            comparison + "</table>";
    if (!mtf.empty()) {
        page += "<h2>MTF (point object)</h2>";
        for (const Measured& m : mtf) page += resultSection(m, true);
    }
    if (!nps.empty()) {
        page += "<h2>Noise power spectrum (uniform phantom)</h2>";
        for (const Measured& m : nps) page += resultSection(m, false);
    }
    page += "</body></html>\n";
    // Written whole or not at all: a failed write keeps an earlier report of the same name.
    const QByteArray bytes = page.toUtf8();
    saveFileSafely(output, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    out << output << "\n" << verdict.toStdString() << "\n";
    return pass ? 0 : 3;
}

}  // namespace ctiq::cli
