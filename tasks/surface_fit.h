#pragma once

#include <cstdint>
#include <vector>

namespace ctiq::tasks {

// What is taken from each ROI before its spectrum: its mean, its least-squares plane
// (1, x, y) or its least-squares second-order surface (1, x, y, x², xy, y²).
enum class Detrend { Mean, Plane, Quadratic };

// Removes the least-squares surface of one kind from n × n ROIs. The fit is a fixed projection:
// the products p_i(x)·p_j(y) (i + j ≤ degree) of the polynomials orthonormal over 0 … n-1 span
// the same surfaces as the monomials and are orthonormal themselves, so the coefficients are
// plain inner products: about a dozen operations per pixel, no equations to solve, and better
// conditioned than the normal equations of the monomials.
class SurfaceFit {
  public:
    SurfaceFit(std::int32_t n, Detrend detrend);

    struct Removed {
        double mean;          // the ROI's mean before the removal
        double sumOfSquares;  // Σ residual²
    };
    // Replaces the n × n row-major ROI by its residual.
    Removed removeFrom(double* roi);

    // The number of fitted functions (1, 3 or 6): the degrees of freedom the fit takes.
    std::int32_t parameters() const;

    // The share of white noise's power at transform index (kx, ky) that the fit takes:
    // Σ over the fitted p_i(x)·p_j(y) of |P_i(kx)|² |P_j(ky)|², P the DFT of the orthonormal
    // polynomial. 1 at zero frequency; near 0 beyond the first few indices.
    double removedShare(std::int32_t kx, std::int32_t ky) const;

  private:
    std::int32_t n_;
    std::int32_t degree_;
    std::vector<double> basis_;    // (degree + 1) × n: p_i(x) at x = 0 … n-1
    std::vector<double> columns_;  // (degree + 1) × n: Σ_y p_j(y) v(y, x), then the squares
    std::vector<double> power_;    // (degree + 1) × n: |P_i(k)|², k = 0 … n-1
};

}  // namespace ctiq::tasks
