#include "wiener/summary.h"

#include <cstdio>

#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "wiener/numeric/kernels.h"

namespace ctiq {

double hammingPowerFactor(std::int32_t n) {
    const HammingTable table(static_cast<std::size_t>(n));
    double squares = 0;
    for (double w : table.weights) squares += w * w;
    return table.g * table.g * squares / n;
}

SpectrumSummary summarizeSpectrum(const std::vector<double>& spectrum, std::int32_t n,
                                  double spacing) {
    SpectrumSummary s;
    const double df = static_cast<double>(binFrequency(1, n, spacing));
    double sum = 0, weighted = 0, peak = -1;
    for (std::int32_t b = 1; b <= n / 2 && b < static_cast<std::int32_t>(spectrum.size()); ++b) {
        const double f = static_cast<double>(binFrequency(b, n, spacing)), value = spectrum[b];
        sum += value;
        weighted += f * value;
        if (value > peak) {
            peak = value;
            s.peakFrequency = f;
        }
    }
    s.integral = sum * df;
    s.meanFrequency = sum > 0 ? weighted / sum : 0;
    return s;
}

std::string spectrumSummaryLine(const SpectrumSummary& s) {
    return "Peak " + fixedText(s.peakFrequency, 3) + " c/mm · mean " +
           fixedText(s.meanFrequency, 3) + " c/mm · integral " + significantText(s.integral, 4);
}

}  // namespace ctiq
