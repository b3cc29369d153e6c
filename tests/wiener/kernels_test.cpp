#include "wiener/numeric/kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

#include "common/app_error.h"

namespace ctiq {
namespace {

TEST(Lsm, StraightLineAndMean) {
    const std::vector<double> c = LSM({0, 1, 2}, {1, 3, 5}, 1);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_NEAR(c[0], 1, 1e-12);
    EXPECT_NEAR(c[1], 2, 1e-12);
    std::vector<double> v = {1, 3, 5};
    removeTrend(v, 1);
    for (double r : v) EXPECT_NEAR(r, 0, 1e-12);
    EXPECT_DOUBLE_EQ(LSM({0, 1, 2}, {2, 4, 9}, 0)[0], 5);
    std::vector<double> m = {2, 4, 9};
    removeMean(m);
    EXPECT_EQ(m, (std::vector<double>{-3, -1, 4}));
}

TEST(Lsm, QuadraticAndErrors) {
    std::vector<double> x, y;
    for (int i = 0; i < 10; ++i) {
        x.push_back(i);
        y.push_back(3 - 2 * i + 0.5 * i * i);
    }
    const std::vector<double> c = LSM(x, y, 2);
    EXPECT_NEAR(c[0], 3, 1e-9);
    EXPECT_NEAR(c[1], -2, 1e-9);
    EXPECT_NEAR(c[2], 0.5, 1e-9);
    EXPECT_THROW(LSM({0, 1}, {1, 2}, 2), AppError);  // fewer points than degree + 1: zero pivot
    std::vector<double> kept = {1, 2, 4};
    removeTrend(kept, -1);  // a negative degree removes nothing
    EXPECT_EQ(kept, (std::vector<double>{1, 2, 4}));
    EXPECT_EQ(polynomialValue({2, 3}, 0), 2);
}

TEST(HammingWindow, WeightsAndCorrectionFactor) {
    std::vector<double> ones(16, 1.0);
    const double g = hammingWindow(ones);
    EXPECT_NEAR(ones[0], 0.08, 1e-15);
    EXPECT_NEAR(ones[15], 0.08, 1e-12);
    double sum = 0;
    for (int t = 0; t < 16; ++t) sum += 0.54 - 0.46 * std::cos(6.2831852 * t / 15);
    EXPECT_DOUBLE_EQ(g, 15 / sum);
    std::vector<double> one = {5};
    EXPECT_THROW(hammingWindow(one), AppError);
}

TEST(Fft, SmallCases) {
    std::vector<double> re = {3}, im = {-1};
    FFT(re, im);
    EXPECT_EQ(re[0], 3);
    EXPECT_EQ(im[0], -1);
    re = {3, 5};
    im = {0, 1};
    FFT(re, im);
    EXPECT_EQ(re, (std::vector<double>{8, -2}));
    EXPECT_EQ(im, (std::vector<double>{1, -1}));
    re.assign(8, 1.0);
    im.assign(8, 0.0);
    FFT(re, im);
    EXPECT_EQ(re[0], 8);
    for (int k = 1; k < 8; ++k) {
        EXPECT_EQ(re[k], 0) << k;
        EXPECT_EQ(im[k], 0) << k;
    }
}

TEST(Fft, RandomDataAgainstADirectDft) {
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 10);
    const int n = 64;
    std::vector<double> re(n), im(n);
    for (int i = 0; i < n; ++i) {
        re[i] = noise(random);
        im[i] = noise(random);
    }
    const std::vector<double> inRe = re, inIm = im;
    FFT(re, im);
    for (int k = 0; k < n; ++k) {
        std::complex<double> x = 0;
        for (int t = 0; t < n; ++t)
            x += std::complex<double>(inRe[t], inIm[t]) *
                 std::polar(1.0, -2 * std::numbers::pi * t * k / n);
        // The twiddles use 6.283184 for 2π: agreement to that constant's precision.
        EXPECT_NEAR(re[k], x.real(), 2e-4) << k;
        EXPECT_NEAR(im[k], x.imag(), 2e-4) << k;
    }
}

// The batched real-input path gives every element exactly what one transform of that segment
// gives, at every length (odd and even stage counts), for a full and a partial batch.
TEST(Fft, RealRowsMatchSingleTransformsBitForBit) {
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0, 100);
    for (std::size_t n = 2; n <= 1024; n *= 2) {
        const FftPlan plan(n);
        const std::size_t stride = 7, count = n == 8 ? 3 : stride;
        std::vector<double> rowsRe(n * stride), rowsIm(n * stride, 99.0);
        std::vector<std::vector<double>> segments(count, std::vector<double>(n));
        for (std::size_t k = 0; k < count; ++k)
            for (std::size_t t = 0; t < n; ++t)
                rowsRe[t * stride + k] = segments[k][t] = std::round(noise(random)) / 7;
        plan.transformRealRows(rowsRe.data(), rowsIm.data(), stride, count);
        for (std::size_t k = 0; k < count; ++k) {
            std::vector<double> re = segments[k], im(n, 0.0);
            plan.transform(re.data(), im.data());
            for (std::size_t t = 0; t < n; ++t) {
                const std::size_t at = plan.outputRow(t) * stride + k;
                ASSERT_EQ(rowsRe[at], re[t]) << "n " << n << " segment " << k << " t " << t;
                ASSERT_EQ(rowsIm[at], im[t]) << "n " << n << " segment " << k << " t " << t;
            }
        }
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The least-squares fit's normal equations are sums of products: built with fused multiply-adds
// (-mfma -ffp-contract=fast) these three coefficients change in their last bits (seen:
// 0x1.d0369d0369d0cp-2, 0x1.570a3d70a3d6dp-1, -0x1.999999999998ep-5). The golden tables rest on
// every product being rounded as written, so the bits are pinned here.
TEST(ExactArithmetic, NoFusedMultiplyAdd) {
    std::vector<double> x, y;
    for (int k = 0; k < 5; ++k) {
        x.push_back(k);
        y.push_back(0.1 * k * k + 1.0 / 3.0 + (k % 3) * 0.7);
    }
    const std::vector<double> c = LSM(x, y, 2);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0], 0x1.d0369d0369dp-2);
    EXPECT_EQ(c[1], 0x1.570a3d70a3d77p-1);
    EXPECT_EQ(c[2], -0x1.99999999999b7p-5);
}

}  // namespace
}  // namespace ctiq
