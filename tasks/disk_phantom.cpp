#include "tasks/disk_phantom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "common/app_error.h"
#include "tasks/seeded_noise.h"

namespace ctiq::tasks {
namespace {

struct GaussLegendre {
    std::array<double, 8> nodes, weights;
};

// The 8-point Gauss–Legendre rule on [-1, 1]: the roots of P₈ by Newton's method from
// Chebyshev-like starting points, weights 2 / ((1 - x²) P₈'(x)²).
const GaussLegendre& gaussLegendre8() {
    static const GaussLegendre rule = [] {
        GaussLegendre g{};
        constexpr int n = 8;
        for (int i = 0; i < n; ++i) {
            double x = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5)), derivative = 0;
            for (int iteration = 0; iteration < 100; ++iteration) {
                double p0 = 1, p1 = x;  // P₀, P₁, then up to P₈ by Bonnet's recursion
                for (int k = 2; k <= n; ++k) {
                    const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
                    p0 = p1;
                    p1 = p2;
                }
                derivative = n * (x * p1 - p0) / (x * x - 1);
                const double step = p1 / derivative;
                x -= step;
                if (std::abs(step) < 1e-16) break;
            }
            g.nodes[i] = x;
            g.weights[i] = 2 / ((1 - x * x) * derivative * derivative);
        }
        return g;
    }();
    return rule;
}

}  // namespace

double scaledBesselI0(double x) {
    if (x < 15) {
        // Σ ((x/2)^k / k!)²: every term positive, no cancellation.
        const double q = x * x / 4;
        double term = 1, sum = 1;
        for (int k = 1; k < 200 && term > sum * 1e-17; ++k) {
            term *= q / (static_cast<double>(k) * k);
            sum += term;
        }
        return sum * std::exp(-x);
    }
    // e^-x I₀(x) ~ (2πx)^-½ Σ ((2k-1)!!)² / (k! (8x)^k); at x ≥ 15 the terms fall below 1e-17
    // long before they start to grow again.
    double term = 1, sum = 1;
    for (int k = 1; k < 30; ++k) {
        term *= (2.0 * k - 1) * (2.0 * k - 1) / (8.0 * x * k);
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum / std::sqrt(2 * std::numbers::pi * x);
}

double blurredDiskProfile(double r, double radius, double sigma) {
    if (sigma == 0) return r < radius ? 1.0 : r == radius ? 0.5 : 0.0;
    // The Gaussian factor is below e^-40 beyond 9 σ of ρ = r: those parts add nothing a double
    // holds next to 1, so the integral covers only ρ within 9 σ of r, and a pixel 9 σ or more
    // inside or outside the circle is 1 or 0.
    const double reach = 9 * sigma;
    if (r >= radius + reach) return 0;
    if (r <= radius - reach) return 1;
    const double lo = std::max(0.0, r - reach), hi = std::min(radius, r + reach);
    // Gauss–Legendre with 8 nodes on panels of σ/2 at most: exact for polynomials of degree 15
    // on each panel, so far below 1e-12 for an integrand smooth on the scale σ.
    const auto panels = std::max(1, static_cast<std::int32_t>(std::ceil((hi - lo) / (sigma / 2))));
    const double width = (hi - lo) / panels, s2 = sigma * sigma;
    const GaussLegendre& rule = gaussLegendre8();
    double sum = 0;
    for (std::int32_t k = 0; k < panels; ++k) {
        const double mid = lo + (k + 0.5) * width;
        for (std::size_t i = 0; i < rule.nodes.size(); ++i) {
            const double rho = mid + 0.5 * width * rule.nodes[i];
            const double u = r - rho;
            sum += rule.weights[i] * rho / s2 * std::exp(-u * u / (2 * s2)) *
                   scaledBesselI0(r * rho / s2);
        }
    }
    return sum * 0.5 * width;
}

std::vector<double> makeDiskPhantom(const DiskPhantomSpec& s) {
    if (s.columns < 1 || s.rows < 1 || std::int64_t{s.columns} * s.rows > (std::int64_t{1} << 26))
        throw AppError("A phantom needs between 1 and 2^26 pixels.");
    if (!(std::isfinite(s.radius) && s.radius > 0))
        throw AppError("The disk's radius must be a positive number of pixels.");
    if (!(std::isfinite(s.sigma) && s.sigma >= 0))
        throw AppError("The blur σ must be zero or a positive number of pixels.");
    if (!(std::isfinite(s.noiseSd) && s.noiseSd >= 0))
        throw AppError("The noise SD must be zero or positive.");
    std::vector<double> v(static_cast<std::size_t>(s.columns) * s.rows);
    SeededNoise noise(s.seed);
    for (std::int32_t r = 0; r < s.rows; ++r)
        for (std::int32_t c = 0; c < s.columns; ++c) {
            const double distance = std::hypot(c - s.centreX, r - s.centreY);
            double value =
                s.background + s.contrast * blurredDiskProfile(distance, s.radius, s.sigma);
            if (s.noiseSd > 0) value += s.noiseSd * noise.gaussian();
            v[static_cast<std::size_t>(r) * s.columns + c] = value;
        }
    return v;
}

}  // namespace ctiq::tasks
