#include "tasks/surface_fit.h"

#include <cmath>

namespace ctiq::tasks {

SurfaceFit::SurfaceFit(std::int32_t n, Detrend detrend)
    : n_(n),
      degree_(detrend == Detrend::Mean    ? 0
              : detrend == Detrend::Plane ? 1
                                          : 2),
      basis_(static_cast<std::size_t>(degree_ + 1) * n),
      rowSums_(static_cast<std::size_t>(degree_ + 1) * n) {
    // Centred coordinates t make 1, t and t² - mean(t²) orthogonal outright (Σt = Σt³ = 0).
    const double half = (n - 1) / 2.0;
    double tt = 0;
    for (std::int32_t x = 0; x < n; ++x) tt += (x - half) * (x - half);
    const double meanTT = tt / n;
    double qq = 0;
    for (std::int32_t x = 0; x < n; ++x) {
        const double q = (x - half) * (x - half) - meanTT;
        qq += q * q;
    }
    for (std::int32_t x = 0; x < n; ++x) {
        const double t = x - half;
        basis_[x] = 1 / std::sqrt(static_cast<double>(n));
        if (degree_ >= 1) basis_[n + x] = t / std::sqrt(tt);
        if (degree_ >= 2) basis_[2 * n + x] = (t * t - meanTT) / std::sqrt(qq);
    }
}

std::int32_t SurfaceFit::parameters() const {
    return (degree_ + 1) * (degree_ + 2) / 2;
}

SurfaceFit::Removed SurfaceFit::removeFrom(double* roi) {
    const std::int32_t n = n_, m = degree_ + 1;
    const double* p = basis_.data();
    for (std::int32_t y = 0; y < n; ++y) {
        const double* row = roi + static_cast<std::size_t>(y) * n;
        double s[3] = {0, 0, 0};
        for (std::int32_t x = 0; x < n; ++x)
            for (std::int32_t i = 0; i < m; ++i) s[i] += p[i * n + x] * row[x];
        for (std::int32_t i = 0; i < m; ++i) rowSums_[static_cast<std::size_t>(y) * m + i] = s[i];
    }
    // c[i][j]: the coefficient of p_i(x)·p_j(y); only i + j ≤ degree are part of the fit.
    double c[3][3] = {};
    for (std::int32_t i = 0; i < m; ++i)
        for (std::int32_t j = 0; i + j < m; ++j) {
            double sum = 0;
            for (std::int32_t y = 0; y < n; ++y)
                sum += p[j * n + y] * rowSums_[static_cast<std::size_t>(y) * m + i];
            c[i][j] = sum;
        }
    double sumOfSquares = 0;
    for (std::int32_t y = 0; y < n; ++y) {
        // The surface along row y: Σ_i a_i p_i(x).
        double a[3] = {0, 0, 0};
        for (std::int32_t i = 0; i < m; ++i)
            for (std::int32_t j = 0; i + j < m; ++j) a[i] += c[i][j] * p[j * n + y];
        double* row = roi + static_cast<std::size_t>(y) * n;
        for (std::int32_t x = 0; x < n; ++x) {
            double surface = 0;
            for (std::int32_t i = 0; i < m; ++i) surface += a[i] * p[i * n + x];
            row[x] -= surface;
            sumOfSquares += row[x] * row[x];
        }
    }
    // p_0 = 1/√n in both directions, so c00 / n is the mean.
    return {c[0][0] / n, sumOfSquares};
}

}  // namespace ctiq::tasks
