#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

#include "cli/options.h"

namespace ctiq::cli {

// One figure of a set of results (lines of `--format json`): the combined result's where there
// is one, else the mean over the single results, with its standard error where the data give
// one (the combined spread / √images, the SD of several figures / √images, or one image's own
// `…StandardError`).
struct Estimate {
    double value = 0;
    bool known = false;
    std::optional<double> standardError;
    int images = 0;
    bool flagged = false;  // a result it stands on carries a reliability flag
};
Estimate estimateOf(const std::vector<QJsonObject>& results, const char* command, const char* key);

// The figures judged, as rows of the report's table, and what came of them.
struct Judgement {
    QString rows;  // <tr>…</tr> per figure
    int judged = 0;
    int withinNoise = 0;   // beyond the tolerance, within twice the standard error
    int restsOnFlags = 0;  // beyond the tolerance, on figures that carry flags
    bool pass = true;
};

// MTF50 and the noise integral against a baseline: a change beyond its tolerance (percent)
// fails, unless it lies within twice its standard error or rests on flagged figures — then the
// data cannot tell it from noise. A kind the baseline lacks is "no figures of this kind".
Judgement judgeAgainstBaseline(const std::vector<QJsonObject>& current,
                               const std::vector<QJsonObject>& baseline, double tolMtf50,
                               double tolIntegral);

// The limits given on the command line (--min-mtf50, --min-mtf10, --max-noise-sd,
// --max-integral), no baseline needed.
Judgement judgeAgainstLimits(const CommandLine& line, const std::vector<QJsonObject>& current);

// The report's one-line verdict: "PASS against the baseline (2 figures)", "FAIL against the
// limits (1 figures)", … with what did not fail and why; "no baseline: figures recorded" when
// nothing was judged.
QString verdictLine(const Judgement& baseline, const Judgement& limits, bool hasBaseline);

}  // namespace ctiq::cli
