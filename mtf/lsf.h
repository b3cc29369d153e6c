#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mtf/pixel_table.h"

namespace ctiq {

// Capacity of the LSF and MTF arrays: tables of more data columns (or rows) are refused.
constexpr std::int32_t kMaxLsfLength = 2049;

// "DFT line#": the band's line count, its default and the range the window's spinner holds.
constexpr std::int32_t kDefaultLsfLines = 24;
constexpr std::int32_t kMinLsfLines = 1, kMaxLsfLines = 100;

// The pixel spacing an MTF takes from an image that states none: 1 (results then per pixel).
inline std::string mtfSpacingText(const std::string& stated) {
    return stated.empty() ? "1" : stated;
}

enum class LsfDirection { X, Y };

// The lines of the band through the maximum cell, both ends included: rows along X, columns along
// Y (see bandSum).
struct LineBand {
    std::int32_t first = 0, last = 0;
};
LineBand bandLines(LsfDirection direction, CellPosition maximum, std::int32_t lines);

// The band sums across the direction through the maximum cell, each of exactly L lines once:
// along X the rows max - L div 2 .. max + (L - 1 - L div 2), along Y the columns
// max - (L - 1 - L div 2) .. max + L div 2 (L = 24: 12 rows above the peak row, 11 below; L = 1:
// the peak line alone), added outward from the peak. Along X sample i is column i + 1; along Y it
// is row i + 1.
// A band that does not lie inside the data lines is refused with a message.
std::vector<double> bandSum(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                            std::int32_t lines);

// Cuts the background and the tails around the peak: past the 10 % point and the first valley,
// `bumps` tail bumps are passed on each side; the cut lies midway between the last top and valley.
// Each flank loses its own cut value; outside the cuts the LSF is zero. Searches that would leave
// the data stop with a message naming what was not found.
void cutBackground(std::vector<double>& lsf, std::int32_t bumps);

// Full width at half maximum, in samples: the crossings are found walking outward from the peak
// to the first sample at or below half the maximum, and interpolated toward the peak.
double halfWidthSamples(const std::vector<double>& lsf);

// Direct discrete Fourier transform of `lsf` at `lsf.size()` frequencies: cosine and sine sums.
struct Spectrum {
    std::vector<double> re;
    std::vector<double> im;
};
Spectrum discreteFourierTransform(const std::vector<double>& lsf);

std::vector<double> magnitude(const Spectrum& spectrum);

// x rounded to 4 decimals (x · 10000 to the nearest integer, ties to even, divided by 10000).
double round4(double x);

// The memo texts: a title line ("mm" or "c/mm", TAB, file name), then position and LSF value,
// or frequency and normalised MTF (both rounded to 4 decimals), one pair per line, CR LF.
std::string lsfMemoText(const std::string& fileName, const std::vector<double>& lsf,
                        double spacing);
std::string mtfMemoText(const std::string& fileName, const std::vector<double>& mtfAbs,
                        double spacing);

// One LSF computation as "CalMTF" runs it: the band sum, the background cut, the half width
// (in mm, from the spacing) and the DFT magnitudes.
struct MtfResult {
    std::vector<double> raw;  // the band sums
    std::vector<double> lsf;  // the trimmed LSF
    double width = 0;         // full width at half maximum, mm
    Spectrum spectrum;
    std::vector<double> mtfAbs;  // magnitudes; MTF = mtfAbs[k] / mtfAbs[0]
    // fineHalfWidthSamples(lsf) where a caller has taken it already, for the combined MTF's
    // spread to use instead of taking it again.
    std::optional<double> fineWidthSamples;
};
MtfResult computeMtf(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                     std::int32_t lines, std::int32_t bumps, long double spacing);

// The points the charts plot for "Data#" = n: the LSF at i·Δ for i < n, or the MTF normalised
// at zero frequency at k / (N·Δ) for k < n div 2, N being the transform's length (the size of
// `mtfAbs`), so the axis is right whatever "Data#" says. The values must hold n points.
struct PlotPoints {
    std::vector<double> x, y;
};
PlotPoints lsfPlotPoints(const std::vector<double>& lsf, std::int32_t n, double spacing);
PlotPoints mtfPlotPoints(const std::vector<double>& mtfAbs, std::int32_t n, double spacing);

// Refuses a "Data#" outside 0 … the computed length of the LSF or MTF (`what`) and the arrays.
void requireDataCount(std::int32_t n, std::int32_t computed, const std::string& what);

// The tick interval of an axis spanning `range`: `preferred`, or the next power-of-ten multiple
// of it that gives at most `maxTicks` ticks.
double tickIntervalFor(double range, double preferred, int maxTicks);

// The half-width field's text: "HWHM=" and the full width in mm.
std::string halfWidthText(double width);

// The tick positions of a paint box `width` pixels wide: one every `spacing` units from 0 up to
// `span`. None when the ticks would be denser than the pixels.
std::vector<std::int32_t> tickPositions(double span, double spacing, std::int32_t width);

}  // namespace ctiq
