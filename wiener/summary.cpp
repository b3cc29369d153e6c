#include "wiener/summary.h"

#include <algorithm>
#include <cstdio>

#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/spectrum_peak.h"
#include "wiener/numeric/kernels.h"

namespace ctiq {

double hammingPowerFactor(std::int32_t n) {
    const HammingTable table(static_cast<std::size_t>(n));
    double squares = 0;
    for (double w : table.weights) squares += w * w;
    return table.g * table.g * squares / n;
}

SpectrumSummary summarizeSpectrum(const std::vector<double>& spectrum, std::int32_t n,
                                  double spacing, const std::vector<double>& kept) {
    SpectrumSummary s;
    const double df = static_cast<double>(binFrequency(1, n, spacing));
    const std::int32_t last = std::min(n / 2, static_cast<std::int32_t>(spectrum.size()) - 1);
    // The mean frequency by the trapezoid rule over 0 … the last bin, the zero frequency (which
    // the mean removal empties) taken as the first bin: the plain mean over the bins 1 … N/2 put
    // white noise's 2/N high and missed half a bin of low-pass noise's largest values. The
    // integral stays the plain sum, by Parseval the variance of the mean-removed strip profile.
    double sum = 0, trapezoid = 0, weighted = 0, first = 0;
    std::vector<double> frequency(spectrum.size(), 0.0);
    for (std::int32_t b = 1; b <= last; ++b) {
        const double f = static_cast<double>(binFrequency(b, n, spacing)), value = spectrum[b];
        const double weight = b == last ? 0.5 : 1;
        const double share = static_cast<std::size_t>(b) < kept.size() ? kept[b] : 1;
        frequency[b] = f;
        sum += value;
        trapezoid += weight * value / share;
        weighted += weight * f * value / share;
        if (b == 1) first = value / share;
    }
    // The largest bin, moved between the bins by the parabola through it and its neighbours: the
    // bin alone quantises the peak to 1/(NΔ).
    if (last >= 1) s.peakFrequency = spectrumPeak(frequency, spectrum, {}, 1, last).frequency;
    trapezoid += 0.5 * first;
    s.integral = sum * df;
    s.meanFrequency = trapezoid > 0 ? weighted / trapezoid : 0;
    return s;
}

std::string spectrumSummaryLine(const SpectrumSummary& s) {
    return "Peak " + fixedText(s.peakFrequency, 3) + " c/mm · mean " +
           fixedText(s.meanFrequency, 3) + " c/mm · integral " + significantText(s.integral, 4);
}

}  // namespace ctiq
