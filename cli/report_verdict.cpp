#include "cli/report_verdict.h"

#include <QJsonArray>
#include <cmath>
#include <string>

#include "cli/report_html.h"
#include "common/sample_spread.h"

namespace ctiq::cli {
namespace {

bool hasFlags(const QJsonObject& result) {
    return !result["summary"].toObject()["flags"].toArray().isEmpty();
}

}  // namespace

Estimate estimateOf(const std::vector<QJsonObject>& results, const char* command, const char* key) {
    Estimate e;
    const std::string combined = std::string(command) + "-combined";
    for (const QJsonObject& r : results) {
        if (r["command"].toString().toStdString() != combined) continue;
        const QJsonObject summary = r["summary"].toObject();
        if (!summary[key].isDouble()) continue;
        e.value = summary[key].toDouble();
        e.known = true;
        e.images = r["results"].toObject()["images"].toInt();
        e.flagged = hasFlags(r);
        const QJsonValue spread = summary[QString(key) + "Spread"];
        if (spread.isDouble() && e.images > 1)
            e.standardError = spread.toDouble() / std::sqrt(e.images);
        return e;
    }
    std::vector<double> values;
    for (const QJsonObject& r : results) {
        const QJsonValue v = r["summary"].toObject()[key];
        if (r["command"].toString() == command && v.isDouble()) {
            values.push_back(v.toDouble());
            e.flagged = e.flagged || hasFlags(r);
        }
    }
    if (values.empty()) return e;
    if (values.size() == 1) {
        // One image: the error its own noise gives the figure, where the result states it.
        for (const QJsonObject& r : results) {
            const QJsonValue se = r["summary"].toObject()[QString(key) + "StandardError"];
            if (r["command"].toString() == command && se.isDouble())
                e.standardError = se.toDouble();
        }
    }
    const SampleSpread s = sampleSpread(values);
    e.value = s.mean;
    e.known = true;
    e.images = static_cast<int>(values.size());
    if (s.spread) e.standardError = s.standardError;
    return e;
}

Judgement judgeAgainstBaseline(const std::vector<QJsonObject>& current,
                               const std::vector<QJsonObject>& baseline, double tolMtf50,
                               double tolIntegral) {
    struct Check {
        const char* name;
        const char* command;
        const char* key;
        const char* unit;
        double tolerance;
    };
    const Check checks[] = {{"MTF50", "mtf", "mtf50", "c/mm", tolMtf50},
                            {"Noise integral", "nps", "integral", "HU²·mm", tolIntegral}};
    Judgement j;
    for (const Check& c : checks) {
        const Estimate now = estimateOf(current, c.command, c.key);
        if (!now.known) continue;
        const Estimate before = estimateOf(baseline, c.command, c.key);
        if (!baseline.empty() && (!before.known || before.value == 0)) {
            j.rows += QString(
                          "<tr><td>%1</td><td colspan=5>no figures of this kind in the "
                          "baseline</td><td>–</td></tr>")
                          .arg(c.name);
            continue;
        }
        if (baseline.empty()) continue;
        ++j.judged;
        const double change = (now.value - before.value) / before.value * 100;
        bool ok = std::abs(change) <= c.tolerance;
        QString verdictText = ok ? "pass" : "FAIL";
        if (!ok && now.standardError && before.standardError) {
            const double noise = std::hypot(*now.standardError, *before.standardError) /
                                 std::abs(before.value) * 100;
            if (std::abs(change) <= 2 * noise) {
                ok = true;
                ++j.withinNoise;
                verdictText = QString("within noise (2 SE = %1 %)").arg(2 * noise, 0, 'f', 1);
            }
        }
        if (!ok && (now.flagged || before.flagged)) {
            // A figure the data do not support cannot fail a scanner either.
            ok = true;
            ++j.restsOnFlags;
            verdictText = "inconclusive: reliability flags";
        }
        j.pass = j.pass && ok;
        j.rows += QString(
                      "<tr class=%1><td>%2</td><td>%3</td><td>%4</td><td class=nb>%5 %</td>"
                      "<td class=nb>±%6 %</td><td>%7</td></tr>")
                      .arg(ok ? "pass" : "fail", c.name, figure(before.value, c.unit),
                           figure(now.value, c.unit), QString::number(change, 'f', 2),
                           QString::number(c.tolerance), verdictText);
    }

    return j;
}

Judgement judgeAgainstLimits(const CommandLine& line, const std::vector<QJsonObject>& current) {
    struct Limit {
        const char* option;
        const char* name;
        const char* command;
        const char* key;
        const char* unit;
        bool minimum;
    };
    const Limit limits[] = {{"min-mtf50", "MTF50", "mtf", "mtf50", "c/mm", true},
                            {"min-mtf10", "MTF10", "mtf", "mtf10", "c/mm", true},
                            {"max-noise-sd", "Noise SD (ROI)", "nps", "roiSd", "HU", false},
                            {"max-integral", "Noise integral", "nps", "integral", "HU²·mm", false}};
    Judgement j;
    for (const Limit& l : limits) {
        if (!line.has(l.option)) continue;
        const double bound = *line.real(l.option);
        const Estimate now = estimateOf(current, l.command, l.key);
        if (!now.known) {
            j.rows += QString(
                          "<tr><td>%1</td><td>%2 %3</td><td colspan=2>no figures of this "
                          "kind</td></tr>")
                          .arg(l.name, l.minimum ? "≥" : "≤", figure(bound, l.unit));
            continue;
        }
        ++j.judged;
        const bool ok = l.minimum ? now.value >= bound : now.value <= bound;
        j.pass = j.pass && ok;
        j.rows += QString("<tr class=%1><td>%2</td><td>%3 %4</td><td>%5</td><td>%6</td></tr>")
                      .arg(ok ? "pass" : "fail", l.name, l.minimum ? "≥" : "≤",
                           figure(bound, l.unit), figure(now.value, l.unit), ok ? "pass" : "FAIL");
    }

    return j;
}

QString verdictLine(const Judgement& baseline, const Judgement& limits, bool hasBaseline) {
    const int judged = baseline.judged, limited = limits.judged;
    const bool pass = baseline.pass && limits.pass;
    QString verdict;
    if (judged + limited == 0) {
        verdict = !hasBaseline ? "no baseline: figures recorded"
                               : "no figures to compare: the baseline holds none of this "
                                 "report's kinds";
    } else {
        const QString against = judged && limited ? "the baseline and the limits"
                                : judged          ? "the baseline"
                                                  : "the limits";
        verdict = (pass ? "PASS" : "FAIL") +
                  QString(" against %1 (%2 figures)").arg(against).arg(judged + limited);
        if (baseline.withinNoise)
            verdict += QString(
                           " — %1 change beyond its tolerance lies within twice its "
                           "standard error")
                           .arg(baseline.withinNoise);
        if (baseline.restsOnFlags)
            verdict += QString(
                           " — %1 change beyond its tolerance rests on flagged figures "
                           "(inconclusive)")
                           .arg(baseline.restsOnFlags);
    }
    return verdict;
}

}  // namespace ctiq::cli
