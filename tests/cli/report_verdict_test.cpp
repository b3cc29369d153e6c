// The report's verdicts from result lines alone: what passes, what fails, and what the data
// cannot tell from noise.
#include "cli/report_verdict.h"

#include <gtest/gtest.h>

#include <QJsonArray>

namespace ctiq::cli {
namespace {

QJsonObject mtfLine(double mtf50, std::optional<double> standardError = std::nullopt,
                    bool flagged = false) {
    QJsonObject summary{{"mtf50", mtf50}};
    if (standardError) summary["mtf50StandardError"] = *standardError;
    QJsonArray flags;
    if (flagged) flags.append(QJsonObject{{"code", "lsf-wide-cut"}, {"text", "…"}});
    summary["flags"] = flags;
    return {{"command", "mtf"}, {"summary", summary}};
}

QJsonObject npsLine(double integral, double roiSd) {
    return {{"command", "nps"},
            {"summary",
             QJsonObject{{"integral", integral}, {"roiSd", roiSd}, {"flags", QJsonArray{}}}}};
}

TEST(ReportVerdict, AgainstABaseline) {
    struct Case {
        const char* what;
        std::vector<QJsonObject> now, before;
        const char* verdict;
    };
    const Case cases[] = {
        {"the same figures",
         {mtfLine(0.31), npsLine(130, 20)},
         {mtfLine(0.31), npsLine(130, 20)},
         "PASS against the baseline (2 figures)"},
        {"MTF50 10 % lower, no error known",
         {mtfLine(0.279)},
         {mtfLine(0.31)},
         "FAIL against the baseline (1 figures)"},
        {"10 % lower within twice its error",
         {mtfLine(0.279, 0.02)},
         {mtfLine(0.31, 0.02)},
         "PASS against the baseline (1 figures) — 1 change beyond its tolerance lies within twice "
         "its standard error"},
        {"40 % lower beyond twice its error",
         {mtfLine(0.186, 0.02)},
         {mtfLine(0.31, 0.02)},
         "FAIL against the baseline (1 figures)"},
        {"a flagged figure",
         {mtfLine(0.186, std::nullopt, true)},
         {mtfLine(0.31)},
         "PASS against the baseline (1 figures) — 1 change beyond its tolerance rests on flagged "
         "figures (inconclusive)"},
        {"a baseline without MTF",
         {mtfLine(0.31), npsLine(130, 20)},
         {npsLine(131, 20)},
         "PASS against the baseline (1 figures)"},
        {"a baseline of another kind only",
         {mtfLine(0.31)},
         {npsLine(131, 20)},
         "no figures to compare: the baseline holds none of this report's kinds"},
    };
    for (const Case& c : cases) {
        const Judgement j = judgeAgainstBaseline(c.now, c.before, 5, 10);
        EXPECT_EQ(verdictLine(j, {}, true).toStdString(), c.verdict) << c.what;
        EXPECT_EQ(j.pass, std::string(c.verdict).rfind("FAIL", 0) != 0) << c.what;
    }
    const Judgement partial =
        judgeAgainstBaseline({mtfLine(0.31), npsLine(130, 20)}, {npsLine(131, 20)}, 5, 10);
    EXPECT_TRUE(partial.rows.contains("no figures of this kind in the baseline"));
    EXPECT_EQ(verdictLine({}, {}, false), "no baseline: figures recorded");
}

TEST(ReportVerdict, LimitsNeedNoBaseline) {
    const std::vector<QJsonObject> now = {mtfLine(0.31), npsLine(130, 20)};
    auto limits = [&](const std::map<std::string, std::string>& values) {
        CommandLine line;
        line.values = values;
        const Judgement j = judgeAgainstLimits(line, now);
        return verdictLine({}, j, false).toStdString();
    };
    EXPECT_EQ(limits({{"min-mtf50", "0.3"}, {"max-noise-sd", "25"}}),
              "PASS against the limits (2 figures)");
    EXPECT_EQ(limits({{"min-mtf50", "0.4"}}), "FAIL against the limits (1 figures)");
    EXPECT_EQ(limits({{"max-noise-sd", "15"}}), "FAIL against the limits (1 figures)");
    EXPECT_EQ(limits({{"min-mtf10", "0.5"}}), "no baseline: figures recorded");  // no MTF10 here
}

}  // namespace
}  // namespace ctiq::cli
