#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/quality_flag.h"
#include "mtf/lsf.h"
#include "mtf/reliability.h"
#include "mtf/summary.h"

namespace ctiq {

// The MTF of several images (or ROIs) of one point object, as physicists beat noise on a bead.
// Each image's band sum loses its background — the mean of its samples farther than
// kCombinedReachFwhm FWHM from the peak (a mean of many samples; the single image's cut at a
// noise valley leaves a pedestal that lowers its MTF) — and is kept within that reach; it is
// normalised to unit area, moved so that its sub-pixel centroid lies on the first image's, and
// the LSFs are averaged before the transform. The move is exact: a phase ramp on each LSF's
// transform (a shift by interpolation would blur the LSF and lower the MTF). The centroid is that
// of the LSF's part above half its maximum, less the half maximum (the far samples' noise would
// move a whole-LSF centroid). Every image must have the same transform length.
inline constexpr double kCombinedReachFwhm = 3;

struct CombinedMtf {
    std::vector<double> frequency;      // k / (N·Δ), k = 0 … N/2
    std::vector<double> value;          // the combined MTF, 1 at zero
    std::vector<double> standardError;  // SD of the images' MTFs at each frequency / √images
    std::vector<double> lsf;            // the averaged, aligned LSF (unit area)
    std::vector<double> centroids;      // each image's LSF centroid, in samples
    MtfSummary summary;                 // from the combined curve and LSF
    // The SD over the images of their own figures (none below two images with the figure).
    std::optional<double> mtf50Spread, mtf10Spread, fwhmSpread;
    int images = 0;
};
CombinedMtf combineMtf(const std::vector<MtfResult>& images, double spacing,
                       double reachFwhm = kCombinedReachFwhm);

// A figure that moves when more of the LSF's tails are kept depends on the ROI size: the cut
// dropped tails that carry MTF (a sharp kernel's side lobes) or kept a background trend. A third
// of the sweep's tolerance (3 % MTF50, 5 % MTF10): tails falling as 1/x² (a cone-shaped MTF's
// LSF) leave the figure at 3 FWHM about twice as far off as it moves from 3 to 6 FWHM.
inline constexpr double kMaxReachChangeMtf50 = 0.01;
inline constexpr double kMaxReachChangeMtf10 = 0.05 / 3;
// The wider reaches tried, widest first, until one leaves the ROI enough background samples
// (tails of a sharp kernel converge slowly: the wider, the plainer the change).
inline constexpr double kWiderReachesFwhm[] = {9, 7.5, 6, 4.5};
// One image's band sum is noisier than an average: its wider reach stays nearer.
inline constexpr double kSingleWiderReachesFwhm[] = {6, 4.5};

// "mtf-tails-matter" when MTF50 or MTF10 of `kept` differ from `wider`'s by more than that
// (keptReach 0: the single image's cut at its valleys).
// `noise50` and `noise10`: the figures' relative standard errors; a change within twice them is
// noise, not tails.
QualityFlags reachFlags(const MtfSummary& kept, const MtfSummary& wider, double keptReach,
                        double widerReach, double noise50 = 0, double noise10 = 0);

// The MTF figures of one image's band sum less its far background, kept within `reachFwhm` FWHM
// of its peak (as the combined MTF takes each image); none when the ROI is too short for that.
std::optional<MtfSummary> reachSummary(const MtfResult& r, double spacing, double reachFwhm);

// The combined MTF's flags: its curve's (mtfCurveFlags with its standard error); its precision
// from the images' spread (the SE of the mean, SD / √n, against kMaxMtf50RelativeSe and
// kMaxMtf10RelativeSe); and its dependence on the ROI size: the images combined again with the
// widest of kWiderReachesFwhm the ROI holds, through reachFlags; and nyquistFlags.
QualityFlags combinedMtfFlags(const std::vector<MtfResult>& images, const CombinedMtf& c,
                              double spacing);

// The combined MTF as text for a spreadsheet: a title line, then frequency (c/mm), MTF and its
// standard error (4 decimals), tab separated, CR LF; a last line with the summary figures and
// their spread over the images.
std::string combinedMtfText(const CombinedMtf& c);

// The FWHM of an LSF between its samples, in samples: its transform's trigonometric
// interpolation on a grid of a twentieth of a sample around the peak. (The walk to the first
// sample at or below half the maximum, interpolated linearly, overstates a narrow LSF's width by
// several per cent, by how the samples fall on it.)
double fineHalfWidthSamples(const std::vector<double>& lsf);

// The centroid of an LSF's peak: Σ i·(x_i − h) / Σ (x_i − h) over the samples around the maximum
// that exceed h, half the maximum; in samples. Refused (AppError) without a positive maximum.
double peakCentroid(const std::vector<double>& lsf);

}  // namespace ctiq
