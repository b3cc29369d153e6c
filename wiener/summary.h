#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq {

// How the Hamming window's loss is made up: "amplitude" (g², the window's own scaling, as the
// spectrum tables have it) or "power" (divided further by F(N) = g² Σw² / N, so that white noise
// of variance σ² reads σ²Δ² with either window).
enum class HammingScale { Amplitude, Power };

// F(N) of the Hamming window of length n: the factor "power" divides by.
double hammingPowerFactor(std::int32_t n);

// The summary figures of one spectrum over the bins 1 … N/2 (f_b = b / (N·Δ)): the frequency of
// the largest value (the vertex of the parabola through it and its neighbours), the mean
// frequency ∫ f·S df / ∫ S df by the trapezoid rule over 0 … N/2 with S(0) taken as S(f_1), and
// the integral Σ S·Δf (Δf = 1 / (N·Δ)).
struct SpectrumSummary {
    double peakFrequency = 0;
    double meanFrequency = 0;
    double integral = 0;
};
// `kept` (bins 0 … N/2, segmentKeptShare): the share of each bin the segments' mean or trend
// removal leaves; the mean frequency takes each bin divided by it. Empty: none taken.
SpectrumSummary summarizeSpectrum(const std::vector<double>& spectrum, std::int32_t n,
                                  double spacing, const std::vector<double>& kept = {});

// The window's one line: "Peak 0.469 c/mm · mean 0.512 c/mm · integral 25.07".
std::string spectrumSummaryLine(const SpectrumSummary& summary);

}  // namespace ctiq
