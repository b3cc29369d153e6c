#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "common/quality_flag.h"
#include "tasks/image_view.h"
#include "tasks/surface_fit.h"

namespace ctiq::tasks {

// A rectangle of pixels: columns x … x + width - 1, rows y … y + height - 1.
struct PixelRegion {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

struct Nps2dParameters {
    std::int32_t roiSize = 128;  // n: square ROIs, even, at least 8
    std::int32_t gridStep = 0;   // between ROI origins; 0: n / 2
    // Where the ROIs lie; none: the central 256 × 256 pixels, or the whole extent of an image
    // smaller than that.
    std::optional<PixelRegion> region;
    Detrend detrend = Detrend::Quadratic;
};

// One ring of the radial average: the samples of the 2-D spectrum whose frequency rounds to
// bin k, i.e. rint(|f| n Δ) = k.
struct RadialBin {
    double frequency = 0;      // k / (n Δ), c/mm
    double value = 0;          // HU² mm²
    double standardError = 0;  // SD of the ROIs' own ring averages / √ROIs (NaN for one ROI)
    std::int32_t samples = 0;  // grid points in the ring
};

struct Nps2dResult {
    std::int32_t roiSize = 0;
    double spacingX = 0, spacingY = 0;  // mm
    // n × n values, HU² mm², row ky, column kx, in transform order: index k stands for the
    // frequency k / (n Δ) for k < n / 2 and (k - n) / (n Δ) from n / 2 on (as numpy.fft.fftfreq),
    // so the zero frequency is at [0].
    std::vector<double> spectrum;
    // Radial bins 0, 1, … up to the corner of the grid. Δ is the larger spacing (the finer
    // frequency step) when the two differ.
    std::vector<RadialBin> radial;
    double nyquist = 0;         // 1 / (2Δ), c/mm: the peak and mean look no higher
    double sdFromSpectrum = 0;  // √(Σ NPS / (n Δx · n Δy)), HU
    double meanRoiSd = 0;       // mean over the ROIs of the residual SD (n² - fitted functions)
    // Mean over the ROIs of the SD about the ROI's own mean, before the surface fit (n² - 1): an
    // independent check, which the shading the fit removes raises.
    double rawRoiSd = 0;
    // c/mm: the vertex of the parabola fitted to the logarithm of the radial bins around the
    // largest at or below the Nyquist (from bin 1 on) that stay above 70 % of it (SpectrumPeak).
    double peakFrequency = 0;
    // c/mm: ∫ f NPS_r df / ∫ NPS_r df over 0 … Nyquist (trapezoid), the rings corrected for the
    // share of the noise the detrend takes (see summarizeRings in nps2d.cpp).
    double meanFrequency = 0;
    double meanFrequencyRelativeSe = 0;  // the mean frequency's standard error over itself
    // The peak frequency's standard error over itself (∞ where the profile has no peak).
    double peakFrequencyRelativeSe = 0;
    // The number of independent ROIs the overlapping ones amount to: K² / Σ ρ² over the pairs of
    // one slice's ROIs (ρ the share of pixels two ROIs have in common), times the slices. Each
    // grid value scatters by 1/√independentRois of itself.
    double independentRois = 0;
    std::int32_t rois = 0;
    QualityFlags flags;

    // The frequency of transform index k (c/mm) along x or y.
    double frequencyX(std::int32_t k) const;
    double frequencyY(std::int32_t k) const;
    // The spectrum with the zero frequency moved to row n / 2, column n / 2 (numpy.fft.fftshift):
    // index i then stands for (i - n / 2) / (n Δ).
    std::vector<double> shifted() const;
};

// The ROIs' means before the detrend differ by more than the pixel noise: then the region is not
// one uniform material (part of it lies outside the phantom, or over an insert), and no surface
// fit makes its spectrum a noise spectrum.
inline constexpr const char* kFlagNonUniformRegion = "nps-nonuniform-region";

// Shading the detrend leaves or takes: the rings next to zero frequency stand above the next
// rings (kLowRingStep times their mean, and beyond three standard errors), or the fitted surfaces
// carry more than kTrendVarianceShare of the variance the residual keeps. Noise, even low-pass
// noise, neither steps up at the first rings nor gives the surface more than a few fitted
// functions' share of its low frequencies.
inline constexpr const char* kFlagShading = "nps-shading";
inline constexpr double kLowRingStep = 1.8;
inline constexpr double kTrendVarianceShare = 0.05;

// The figures the noise cannot support: the mean or the peak frequency's standard error above
// half its 3 % tolerance (about one run in twenty outside it from the noise alone).
inline constexpr const char* kFlagImprecise = "nps-imprecise";
inline constexpr const char* kFlagPeakImprecise = "nps-peak-imprecise";
inline constexpr double kMaxMeanFrequencyRelativeSe = 0.015;
inline constexpr double kMaxPeakRelativeSe = 0.015;
// Rings whose share of a white noise the detrend keeps is below this are not corrected (their
// value would be mostly the correction): the mean frequency takes the next ring's value there.
inline constexpr double kMinKeptShare = 0.9;

// The 2-D noise power spectrum of an ensemble of slices (all the same size and spacing): square
// n × n ROIs at origins region.x + i·step, region.y + j·step while they fit inside the region,
// each minus its fitted surface, |FFT2|² Δx Δy / n² averaged over all ROIs of all slices.
// Refused (AppError): no slice, slices of different size or spacing, a spacing that is not
// positive, n odd or below 8, a step below 1, a region outside the image or smaller than one ROI.
Nps2dResult computeNps2d(std::span<const ImageView> images, const Nps2dParameters& parameters);

// The same ensemble gathered one slice at a time, so that a caller holds no more than the slice it
// adds: slices added in the order of computeNps2d's span give its very result, bit for bit.
class Nps2dEnsemble {
  public:
    explicit Nps2dEnsemble(const Nps2dParameters& parameters);
    ~Nps2dEnsemble();
    Nps2dEnsemble(const Nps2dEnsemble&) = delete;
    Nps2dEnsemble& operator=(const Nps2dEnsemble&) = delete;

    // Refused (AppError), with nothing added, as computeNps2d refuses the slice: the first sets
    // the size and spacing (and the region, where none is given), the others must share them.
    // Only the samples inside the region are read.
    void add(const ImageView& image);
    std::int32_t slices() const { return slices_; }
    // Refused without a slice.
    Nps2dResult result() const;

  private:
    struct Sums;
    Nps2dParameters p_;
    std::int32_t slices_ = 0;
    std::unique_ptr<Sums> sums_;
};

}  // namespace ctiq::tasks
