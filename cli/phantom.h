#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq::cli {

// A small, portable random source: the same numbers for a seed on every machine.
class PortableRandom {
  public:
    explicit PortableRandom(std::uint64_t seed);
    // Uniform in [0, 1) with 53 random bits.
    double uniform();
    // Approximately standard normal: the sum of 12 uniforms minus 6 (variance exactly 1). Only
    // additions, so the result does not depend on a maths library.
    double gaussian();

  private:
    std::uint64_t next();
    std::uint64_t state_;
};

struct PhantomSpec {
    std::string kind = "uniform";  // point, noise, uniform, disk
    std::int32_t columns = 256, rows = 256;
    double spacing = 0.5;
    // point
    double sigma = 1.2;                 // pixels: the Gaussian's σ, or the exponential's length b
    std::string profile = "gaussian";   // or "exponential": exp(-r / b), not separable
    double centreX = -1, centreY = -1;  // default: image centre (columns / 2, rows / 2)
    double amplitude = 3000;
    double background = 1000;
    // noise (and optional noise on a point)
    double mean = 1000;
    double sd = 20;
    std::vector<double> kernel;  // 1-D filter along rows (odd length, centred); empty: white
    std::uint64_t seed = 1;
    // uniform
    double value = 1000;
    // disk (with sigma, centre, background and sd above): radius in pixels, contrast over the
    // background
    double radius = 20;
    double contrast = 100;
};

// The sample values, rows from the top, rounded to integers and held within 16 bits.
std::vector<std::int16_t> makePhantom(const PhantomSpec& spec);

// "label COLS ROWS SPACING.raw" (spacing with "p" for the point) beside `out`'s folder.
std::string rawPhantomName(const std::string& out, const PhantomSpec& spec);

// Writes the raw image, or a minimal explicit-VR little-endian CT DICOM file (OUT + ".dcm"),
// and returns the path written.
std::string writePhantom(const std::string& out, const PhantomSpec& spec, bool dicom);

}  // namespace ctiq::cli
