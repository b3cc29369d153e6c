#include "tasks/disk_phantom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "common/app_error.h"

namespace ctiq::tasks {
namespace {

// I₀ by its defining integral (1/π) ∫₀^π e^{x cos θ} dθ, by Simpson's rule: an independent route.
double besselI0ByIntegral(double x) {
    const int steps = 2000;
    const double h = std::numbers::pi / steps;
    double sum = 0;
    for (int i = 0; i <= steps; ++i) {
        const double w = (i == 0 || i == steps) ? 1 : (i % 2 ? 4 : 2);
        sum += w * std::exp(x * (std::cos(i * h) - 1));  // scaled by e^-x
    }
    return sum * h / 3 / std::numbers::pi;
}

TEST(DiskPhantom, ScaledBesselFunctionMatchesItsIntegral) {
    for (double x : {0.0, 0.5, 3.0, 14.9, 15.0, 40.0, 700.0, 5000.0}) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(scaledBesselI0(x) / besselI0ByIntegral(x), 1, 1e-9);
    }
}

// The known values of the blurred disk: its centre 1 - exp(-R²/2σ²); on the circle of radius
// R ≫ σ, ½ less the curvature's share σ / (2R √(2π)) (the first term in σ/R, the next is
// of order (σ/R)²); 0 far outside, 1 far inside; a sharp disk is 1, ½, 0.
TEST(DiskPhantom, ProfileMeetsItsKnownValues) {
    struct Case {
        double r, radius, sigma, expected, tolerance;
    };
    auto onCircle = [](double radius, double sigma) {
        return 0.5 - sigma / (2 * radius * std::sqrt(2 * std::numbers::pi));
    };
    for (const Case& c :
         {Case{0, 10, 2, 1 - std::exp(-100.0 / 8), 1e-9},
          Case{0, 3, 2, 1 - std::exp(-9.0 / 8), 1e-9}, Case{0, 1, 5, 1 - std::exp(-1.0 / 50), 1e-9},
          Case{40, 40, 1, onCircle(40, 1), 1e-4}, Case{100, 100, 2, onCircle(100, 2), 1e-4},
          Case{60, 20, 2, 0, 1e-15}, Case{2, 20, 2, 1, 1e-12}, Case{19.99, 20, 0, 1, 0},
          Case{20, 20, 0, 0.5, 0}, Case{20.01, 20, 0, 0, 0}}) {
        SCOPED_TRACE(c.r);
        EXPECT_NEAR(blurredDiskProfile(c.r, c.radius, c.sigma), c.expected, c.tolerance);
    }
}

// The blurred disk's volume is the disk's: Σ over a fine polar grid of p(r) 2πr dr = πR².
TEST(DiskPhantom, BlurKeepsTheDisksVolume) {
    const double radius = 8, sigma = 1.5, dr = 0.01;
    double volume = 0;
    for (double r = dr / 2; r < radius + 12 * sigma; r += dr)
        volume += blurredDiskProfile(r, radius, sigma) * 2 * std::numbers::pi * r * dr;
    EXPECT_NEAR(volume / (std::numbers::pi * radius * radius), 1, 1e-5);
}

TEST(DiskPhantom, ImageHasTheProfileAndTheNoise) {
    DiskPhantomSpec s;
    s.columns = 64;
    s.rows = 48;
    s.centreX = 30.3;
    s.centreY = 20.8;
    s.radius = 12;
    s.background = -5;
    s.contrast = 200;
    s.sigma = 1.2;
    const std::vector<double> clean = makeDiskPhantom(s);
    ASSERT_EQ(clean.size(), 64u * 48u);
    for (auto [c, r] : {std::pair{30, 21}, std::pair{42, 21}, std::pair{5, 40}}) {
        const double expected =
            -5 + 200 * blurredDiskProfile(std::hypot(c - 30.3, r - 20.8), 12, 1.2);
        EXPECT_DOUBLE_EQ(clean[static_cast<std::size_t>(r) * 64 + c], expected);
    }
    s.noiseSd = 7;
    const std::vector<double> noisy = makeDiskPhantom(s);
    EXPECT_EQ(noisy, makeDiskPhantom(s));  // the seed fixes the noise
    double sum = 0, squares = 0;
    for (std::size_t i = 0; i < noisy.size(); ++i) {
        sum += noisy[i] - clean[i];
        squares += (noisy[i] - clean[i]) * (noisy[i] - clean[i]);
    }
    const double n = static_cast<double>(noisy.size());
    EXPECT_NEAR(sum / n, 0, 0.5);  // 3 standard errors of a mean of 3072 values
    EXPECT_NEAR(std::sqrt(squares / n) / 7, 1, 0.04);
    s.seed = 2;
    EXPECT_NE(noisy, makeDiskPhantom(s));
}

TEST(DiskPhantom, RefusesImpossibleSpecs) {
    auto refused = [](auto change) {
        DiskPhantomSpec s;
        change(s);
        EXPECT_THROW(makeDiskPhantom(s), AppError);
    };
    refused([](DiskPhantomSpec& s) { s.radius = 0; });
    refused([](DiskPhantomSpec& s) { s.sigma = -1; });
    refused([](DiskPhantomSpec& s) { s.noiseSd = -0.5; });
    refused([](DiskPhantomSpec& s) { s.columns = 0; });
}

}  // namespace
}  // namespace ctiq::tasks
