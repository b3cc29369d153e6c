#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mtf/lsf.h"
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
CombinedMtf combineMtf(const std::vector<MtfResult>& images, double spacing);

// The combined MTF as text for a spreadsheet: a title line, then frequency (c/mm), MTF and its
// standard error (4 decimals), tab separated, CR LF; a last line with the summary figures and
// their spread over the images.
std::string combinedMtfText(const CombinedMtf& c);

// The centroid of an LSF's peak: Σ i·(x_i − h) / Σ (x_i − h) over the samples around the maximum
// that exceed h, half the maximum; in samples. Refused (AppError) without a positive maximum.
double peakCentroid(const std::vector<double>& lsf);

}  // namespace ctiq
