#pragma once

#include <cstdint>
#include <vector>

namespace ctiq::tasks {

struct DiskPhantomSpec {
    std::int32_t columns = 256, rows = 256;
    double centreX = 128, centreY = 128;  // pixel coordinates: pixel (c, r) is centred at (c, r)
    double radius = 20;                   // pixels
    double background = 0;                // HU
    double contrast = 100;                // HU: the disk's plateau above the background
    double sigma = 0;                     // pixels: the Gaussian blur; 0 is a sharp disk
    double noiseSd = 0;                   // HU: white Gaussian noise added; 0 is none
    std::uint64_t seed = 1;
};

// The blurred disk's profile at distance r from its centre (all in pixels): the disk of radius R
// convolved with a unit 2-D Gaussian of SD σ,
//   p(r) = ∫₀^R (ρ/σ²) exp(-(r² + ρ²) / 2σ²) I₀(rρ/σ²) dρ,
// integrated as ∫ (ρ/σ²) exp(-(r - ρ)² / 2σ²) I₀e(rρ/σ²) dρ with the scaled Bessel function
// I₀e(x) = e^-x I₀(x), which neither overflows nor underflows. σ = 0: 1 inside, ½ on the circle,
// 0 outside.
double blurredDiskProfile(double r, double radius, double sigma);

// e^-x I₀(x) for x ≥ 0: the power series below 15, the asymptotic series above.
double scaledBesselI0(double x);

// The phantom's values, row by row from the top: background + contrast · p(distance of the pixel
// centre), plus the noise. Not rounded. Refused (AppError): no pixels, a radius that is not
// positive, a negative σ or noise SD.
std::vector<double> makeDiskPhantom(const DiskPhantomSpec& spec);

}  // namespace ctiq::tasks
