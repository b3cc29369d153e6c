#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ctiq {

// The frequency (cycles/mm) where a falling curve first reaches `level`: linear interpolation
// between the last point above it and the first at or below it; none when it never gets there.
// f and value are the plotted points (value normalised to 1 at f = 0).
std::optional<double> frequencyAtLevel(const std::vector<double>& f,
                                       const std::vector<double>& value, double level);

// The MTF over the first half of the transform: f_k = k / (N·Δ) for k = 0 … N/2 (N the length
// of `mtfAbs`) and the magnitudes normalised at k = 0; empty for no transform.
struct MtfCurve {
    std::vector<double> frequency, value;
};
MtfCurve mtfCurve(const std::vector<double>& mtfAbs, double spacing);

// The summary figures of one MTF: where it falls to 50 % and 10 %, and the LSF's FWHM (mm).
struct MtfSummary {
    std::optional<double> mtf50, mtf10;
    double fwhm = 0;
};
// From the MTF magnitudes (normalised at k = 0) over the first half of the transform, whose
// length is mtfAbs.size(), at k / (N·Δ).
MtfSummary summarizeMtf(const std::vector<double>& mtfAbs, double spacing, double fwhm);

// The window's one line: "MTF50 0.312 c/mm · MTF10 0.568 c/mm · FWHM 1.468 mm" ("–" where the
// MTF does not fall so far).
std::string mtfSummaryLine(const MtfSummary& summary);

}  // namespace ctiq
