#include "mtf/summary.h"

#include <cstddef>
#include <cstdio>

#include "common/frequency_axis.h"
#include "common/number_text.h"

namespace ctiq {

std::optional<double> frequencyAtLevel(const std::vector<double>& f,
                                       const std::vector<double>& value, double level) {
    for (std::size_t i = 1; i < f.size() && i < value.size(); ++i) {
        if (value[i] > level) continue;
        const double above = value[i - 1], below = value[i];
        if (above == below) return f[i];
        return f[i - 1] + (above - level) / (above - below) * (f[i] - f[i - 1]);
    }
    return std::nullopt;
}

MtfCurve mtfCurve(const std::vector<double>& mtfAbs, double spacing) {
    MtfCurve c;
    if (mtfAbs.empty() || mtfAbs[0] == 0 || spacing <= 0) return c;
    const double n = static_cast<double>(mtfAbs.size());
    for (std::size_t k = 0; k <= mtfAbs.size() / 2; ++k) {
        c.frequency.push_back(static_cast<double>(
            binFrequency(static_cast<std::int64_t>(k), static_cast<std::int64_t>(n), spacing)));
        c.value.push_back(mtfAbs[k] / mtfAbs[0]);
    }
    return c;
}

MtfSummary summarizeMtf(const std::vector<double>& mtfAbs, double spacing, double fwhm) {
    MtfSummary s;
    s.fwhm = fwhm;
    const MtfCurve c = mtfCurve(mtfAbs, spacing);
    s.mtf50 = frequencyAtLevel(c.frequency, c.value, 0.5);
    s.mtf10 = frequencyAtLevel(c.frequency, c.value, 0.1);
    return s;
}

namespace {

std::string fixed3(double value) {
    return fixedText(value, 3);
}

std::string frequencyText(const std::optional<double>& f) {
    return f ? fixed3(*f) + " c/mm" : "–";
}

}  // namespace

std::string mtfSummaryLine(const MtfSummary& s) {
    return "MTF50 " + frequencyText(s.mtf50) + " · MTF10 " + frequencyText(s.mtf10) + " · FWHM " +
           fixed3(s.fwhm) + " mm";
}

}  // namespace ctiq
