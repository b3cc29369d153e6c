#include "mtf/lsf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "common/app_error.h"

namespace ctiq {
namespace {

// A table whose cell (c, r) holds `value(c, r)`.
template <class F>
PixelTable tableOf(std::int32_t columns, std::int32_t rows, F value) {
    PixelTable t(columns + 1, rows + 1);
    for (std::int32_t r = 1; r <= rows; ++r)
        for (std::int32_t c = 1; c <= columns; ++c) t.setText(c, r, std::to_string(value(c, r)));
    return t;
}

TEST(BandSum, LineCountRules) {
    // Row r holds 10^(r-1) in every column: the sum shows which rows entered, how often.
    const PixelTable t =
        tableOf(3, 7, [](int, int r) { return static_cast<long long>(std::pow(10, r - 1)); });
    const CellPosition centre{2, 4};
    // Each line once, L lines: the peak row, then L - 1 - L div 2 below and L div 2 above.
    EXPECT_EQ(bandSum(t, LsfDirection::X, centre, 1)[0], 1000);
    EXPECT_EQ(bandSum(t, LsfDirection::X, centre, 2)[0], 1100);    // rows 3, 4
    EXPECT_EQ(bandSum(t, LsfDirection::X, centre, 3)[0], 11100);   // rows 3 .. 5
    EXPECT_EQ(bandSum(t, LsfDirection::X, centre, 4)[0], 11110);   // rows 2 .. 5
    EXPECT_EQ(bandSum(t, LsfDirection::X, centre, 5)[0], 111110);  // rows 2 .. 6
    EXPECT_EQ(bandSum(t, LsfDirection::X, centre, 3).size(), 3u);
    // L = 24 reaches rows max - 12 .. max + 11: 7 rows cannot hold it.
    EXPECT_THROW(bandSum(t, LsfDirection::X, centre, 24), AppError);
    EXPECT_THROW(bandSum(t, LsfDirection::X, {2, 7}, 5), AppError);
    EXPECT_THROW(bandSum(t, LsfDirection::X, {0, 0}, 1), AppError);
}

TEST(BandSum, AlongYTheBandIsMirrored) {
    const PixelTable t =
        tableOf(7, 3, [](int c, int) { return static_cast<long long>(std::pow(10, c - 1)); });
    // Along Y the longer side is the right one: L = 4 takes columns 4 - 1 .. 4 + 2.
    const auto y = bandSum(t, LsfDirection::Y, {4, 2}, 4);
    ASSERT_EQ(y.size(), 3u);
    EXPECT_EQ(y[0], 100 + 1000 + 10000 + 100000);
}

TEST(BandSum, TablesBeyondTheArraysAreRefused) {
    const PixelTable wide(2051, 4);
    EXPECT_THROW(bandSum(wide, LsfDirection::X, {1, 2}, 1), AppError);
}

TEST(CutBackground, SymmetricSpotLosesItsBackground) {
    // Background 100, a spot 100 + 900·exp(-x²/8) around index 20, rounded.
    std::vector<double> a(41);
    for (int i = 0; i < 41; ++i)
        a[i] = std::round(100 + 900 * std::exp(-(i - 20) * (i - 20) / 8.0));
    const std::vector<double> before = a;
    cutBackground(a, 1);
    int firstNonZero = -1, lastNonZero = -1;
    for (int i = 0; i < 41; ++i) {
        if (a[i] != 0) {
            if (firstNonZero < 0) firstNonZero = i;
            lastNonZero = i;
            EXPECT_EQ(a[i], before[i] - 100) << i;
        }
    }
    EXPECT_EQ(a[20], 900);
    EXPECT_GT(firstNonZero, 10);
    EXPECT_LT(lastNonZero, 30);
}

TEST(CutBackground, SearchesThatWouldLeaveTheDataStopWithAMessage) {
    std::vector<double> nearEnd = {0, 5, 10, 5, 0, 0, 0, 0};
    EXPECT_THROW(cutBackground(nearEnd, 1), AppError);
    std::vector<double> noValley = {10, 9, 8, 7, 6, 5,
                                    20, 5, 4, 3, 3, 3};  // falls all the way left
    EXPECT_THROW(cutBackground(noValley, 1), AppError);
    std::vector<double> fine = {0, 0, 0, 0, 1, 5, 9, 5, 1, 0, 0, 0, 0};
    EXPECT_THROW(cutBackground(fine, 0), AppError);
    EXPECT_NO_THROW(cutBackground(fine, 1));
}

TEST(HalfWidth, ExampleAndSharpLsf) {
    EXPECT_DOUBLE_EQ(halfWidthSamples({0, 4, 8, 9, 10, 9, 8, 4, 0}), 5.5);
    // A one-pixel bead: half maximum is crossed between the peak and its neighbours.
    EXPECT_DOUBLE_EQ(halfWidthSamples({0, 0, 0, 2, 10, 2, 0, 0, 0}), 1.25);
    EXPECT_THROW(halfWidthSamples({0, 0, 0}), AppError);
    EXPECT_THROW(halfWidthSamples({10, 9, 8, 1}), AppError);
}

TEST(Dft, ExampleMagnitudes) {
    const std::vector<double> m = magnitude(discreteFourierTransform({0, 1, 1, 0}));
    EXPECT_NEAR(m[0], 2, 1e-12);
    EXPECT_NEAR(m[1], std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(m[2], 0, 1e-12);
    EXPECT_NEAR(m[3], std::sqrt(2.0), 1e-12);
    EXPECT_EQ(mtfMemoText("f", m, 1),
              "c/mm\tf\r\n0\t1\r\n0.25\t0.7071\r\n0.5\t0\r\n0.75\t0.7071\r\n");
}

TEST(Dft, MatchesADirectSumOnRandomData) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-100, 100);
    std::vector<double> lsf(301);
    for (double& v : lsf) v = uniform(random);
    const Spectrum s = discreteFourierTransform(lsf);
    const long double twoPi = 2 * std::numbers::pi_v<long double>;
    for (std::size_t k : {0u, 1u, 7u, 150u, 299u}) {
        long double re = 0, im = 0;
        for (std::size_t n = 0; n < lsf.size(); ++n) {
            const long double theta = twoPi * k / lsf.size() * n;
            re += lsf[n] * std::cos(theta);
            im += lsf[n] * std::sin(theta);
        }
        EXPECT_NEAR(s.re[k], re, 1e-9) << k;
        EXPECT_NEAR(s.im[k], im, 1e-9) << k;
    }
}

TEST(MemoTexts, RoundingToFourDecimalsTiesToEven) {
    std::vector<double> flat(64, 1.0);
    flat[0] = 64;  // any magnitudes: only the frequency column is checked here
    const std::string mtf = mtfMemoText("x", flat, 0.5);
    EXPECT_EQ(std::count(mtf.begin(), mtf.end(), '\n'), 65);
    EXPECT_NE(mtf.find("\r\n0.0312\t"), std::string::npos);
    EXPECT_NE(mtf.find("\r\n0.0625\t"), std::string::npos);
    EXPECT_NE(mtf.find("\r\n0.0938\t"), std::string::npos);
    EXPECT_EQ(lsfMemoText("a.raw", {1.25, 2, 0.1 + 0.2}, 0.5),
              "mm\ta.raw\r\n0\t1.25\r\n0.5\t2\r\n1\t0.3\r\n");
    EXPECT_THROW(mtfMemoText("x", {0, 1}, 0.5), AppError);
    EXPECT_THROW(mtfMemoText("x", {1, 1}, 0), AppError);
}

TEST(TickPositions, SpacedAndNeverDenserThanPixels) {
    EXPECT_EQ(tickPositions(32, 10, 560), (std::vector<std::int32_t>{0, 175, 350, 525}));
    EXPECT_TRUE(tickPositions(32, 0.001, 560).empty());
    EXPECT_TRUE(tickPositions(0, 10, 560).empty());
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST(PlotPoints, LsfAtItsPositionsAndMtfNormalisedUpToHalfTheCount) {
    const std::vector<double> lsf = {1, 4, 2, 0};
    const PlotPoints l = lsfPlotPoints(lsf, 3, 0.5);
    EXPECT_EQ(l.x, (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(l.y, (std::vector<double>{1, 4, 2}));
    const std::vector<double> mtf = {8, 6, 4, 2, 1};
    const PlotPoints m = mtfPlotPoints(mtf, 5, 0.5);  // k < 5 div 2, at k / (5 · 0.5)
    EXPECT_EQ(m.x, (std::vector<double>{0, 0.4}));
    EXPECT_EQ(m.y, (std::vector<double>{1, 0.75}));
    // Fewer points than were computed: the axis still counts in the transform's length.
    EXPECT_EQ(mtfPlotPoints(mtf, 4, 0.5).x, (std::vector<double>{0, 0.4}));
    EXPECT_THROW(mtfPlotPoints({0, 1, 2, 3}, 4, 0.5), AppError);  // no zero-frequency value
}

TEST(PlotPoints, DataCountMustLieWithinTheComputedPoints) {
    EXPECT_NO_THROW(requireDataCount(0, 10, "MTF"));
    EXPECT_NO_THROW(requireDataCount(10, 10, "MTF"));
    for (const std::int32_t n : {-1, 11, kMaxLsfLength + 1}) {
        try {
            requireDataCount(n, 10, "LSF");
            ADD_FAILURE() << n;
        } catch (const AppError& e) {
            EXPECT_NE(std::string(e.what()).find("computed LSF has 10 points"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST(CutBackground, AHugePsfWidthStopsWhereTheSearchStopsMoving) {
    // A spot on a flat background: after the first bump nothing moves; 2^31 - 1 bumps must end
    // at once with the same cut as one bump.
    std::vector<double> lsf(64, 10.0);
    for (int i = 28; i <= 36; ++i) lsf[i] = 10.0 + 100.0 * std::exp(-(i - 32) * (i - 32) / 4.0);
    lsf[20] = 12;  // one bump on each side
    lsf[44] = 12;
    std::vector<double> once = lsf, huge = lsf;
    cutBackground(once, 1);
    cutBackground(huge, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(huge, once);
}

TEST(TickIntervals, ReadableOnAnyRange) {
    EXPECT_EQ(tickIntervalFor(1.0, 0.1, 40), 0.1);
    EXPECT_EQ(tickIntervalFor(300.0, 0.1, 40), 10.0);
    EXPECT_LE(300.0 / tickIntervalFor(300.0, 0.1, 40), 40);
}

}  // namespace
}  // namespace ctiq
