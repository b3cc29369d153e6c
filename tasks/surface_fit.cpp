#include "tasks/surface_fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ctiq::tasks {

SurfaceFit::SurfaceFit(std::int32_t n, Detrend detrend)
    : n_(n),
      degree_(detrend == Detrend::Mean    ? 0
              : detrend == Detrend::Plane ? 1
                                          : 2),
      basis_(static_cast<std::size_t>(degree_ + 1) * n),
      columns_(static_cast<std::size_t>(degree_ + 1) * n) {
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
    power_.assign(basis_.size(), 0.0);
    for (std::int32_t i = 0; i <= degree_; ++i)
        for (std::int32_t k = 0; k < n; ++k) {
            double re = 0, im = 0;
            for (std::int32_t x = 0; x < n; ++x) {
                const double phase = -2 * std::numbers::pi * static_cast<double>(k) * x / n;
                re += basis_[i * n + x] * std::cos(phase);
                im += basis_[i * n + x] * std::sin(phase);
            }
            power_[static_cast<std::size_t>(i) * n + k] = re * re + im * im;
        }
}

double SurfaceFit::removedShare(std::int32_t kx, std::int32_t ky) const {
    double share = 0;
    for (std::int32_t i = 0; i <= degree_; ++i)
        for (std::int32_t j = 0; i + j <= degree_; ++j)
            share += power_[static_cast<std::size_t>(i) * n_ + kx] *
                     power_[static_cast<std::size_t>(j) * n_ + ky];
    return share / (static_cast<double>(n_) * n_);
}

std::int32_t SurfaceFit::parameters() const {
    return (degree_ + 1) * (degree_ + 2) / 2;
}

namespace {

// The work of removeFrom for m = degree + 1 known at compile time. Every loop over a row runs
// element by element (no sum along the row), so the compiler vectorises it without reordering
// any sum: the inner products are gathered down the columns first.
template <std::int32_t m>
SurfaceFit::Removed removeSurface(double* roi, std::int32_t n, const double* p, double* columns) {
    // columns[j·n + x] = Σ_y p_j(y) v(y, x)
    std::fill(columns, columns + m * n, 0.0);
    for (std::int32_t y = 0; y < n; ++y) {
        const double* row = roi + static_cast<std::size_t>(y) * n;
        for (std::int32_t j = 0; j < m; ++j) {
            const double weight = p[j * n + y];
            double* column = columns + j * n;
            for (std::int32_t x = 0; x < n; ++x) column[x] += weight * row[x];
        }
    }
    // c[i][j]: the coefficient of p_i(x)·p_j(y); only i + j ≤ degree are part of the fit.
    double c[3][3] = {};
    for (std::int32_t i = 0; i < m; ++i)
        for (std::int32_t j = 0; i + j < m; ++j) {
            double sum = 0;
            for (std::int32_t x = 0; x < n; ++x) sum += p[i * n + x] * columns[j * n + x];
            c[i][j] = sum;
        }
    // The squares gather down the columns too; columns[0 … n-1] is free again.
    double* squares = columns;
    std::fill(squares, squares + n, 0.0);
    for (std::int32_t y = 0; y < n; ++y) {
        // The surface along row y: Σ_i a_i p_i(x).
        double a[3] = {0, 0, 0};
        for (std::int32_t i = 0; i < m; ++i)
            for (std::int32_t j = 0; i + j < m; ++j) a[i] += c[i][j] * p[j * n + y];
        double* row = roi + static_cast<std::size_t>(y) * n;
        for (std::int32_t x = 0; x < n; ++x) {
            double surface = a[0] * p[x];
            if constexpr (m > 1) surface += a[1] * p[n + x];
            if constexpr (m > 2) surface += a[2] * p[2 * n + x];
            row[x] -= surface;
            squares[x] += row[x] * row[x];
        }
    }
    double sumOfSquares = 0;
    for (std::int32_t x = 0; x < n; ++x) sumOfSquares += squares[x];
    // p_0 = 1/√n in both directions, so c00 / n is the mean.
    return {c[0][0] / n, sumOfSquares};
}

}  // namespace

SurfaceFit::Removed SurfaceFit::removeFrom(double* roi) {
    double* columns = columns_.data();
    if (degree_ == 0) return removeSurface<1>(roi, n_, basis_.data(), columns);
    if (degree_ == 1) return removeSurface<2>(roi, n_, basis_.data(), columns);
    return removeSurface<3>(roi, n_, basis_.data(), columns);
}

}  // namespace ctiq::tasks
