// The combined MTF of several point images and the flags that qualify an MTF, against phantoms
// whose MTF is known: a point-sampled Gaussian spot of σ px has exp(−2π²σ²f²).
#include "mtf/combined.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "cli/phantom.h"
#include "common/app_error.h"
#include "mtf/reliability.h"
#include "mtf/table_analysis.h"

namespace ctiq {
namespace {

constexpr double kSigma = 1.2, kSpacing = 0.5;

double analyticMtf(double f) {
    const double s = kSigma * kSpacing;
    return std::exp(-2 * std::numbers::pi * std::numbers::pi * s * s * f * f);
}
const double kAnalyticMtf50 = std::sqrt(std::log(2.0) / 2) / (std::numbers::pi * kSigma * kSpacing);

// A 64 × 64 ROI around a spot at (128 + dx, 128 + dy) of a 256² phantom, as the MTF window's table.
PixelTable spotTable(double dx, double dy, double sd, std::uint64_t seed) {
    cli::PhantomSpec spec;
    spec.kind = "point";
    spec.sigma = kSigma;
    spec.centreX = 128 + dx;
    spec.centreY = 128 + dy;
    spec.sd = sd;
    spec.seed = seed;
    const std::vector<std::int16_t> samples = cli::makePhantom(spec);
    PixelTable table(65, 65);
    for (int r = 1; r <= 64; ++r)
        for (int c = 1; c <= 64; ++c)
            table.setText(c, r, std::to_string(samples[(96 + r - 1) * 256 + 96 + c - 1]));
    return table;
}

MtfResult measure(const PixelTable& table) {
    return computeMtf(table, LsfDirection::X, tableMaximum(table), 24, 1, kSpacing);
}

const double kOffsets[4][2] = {{0, 0}, {0.25, 0.5}, {0.5, 0.25}, {0.75, 0.75}};

TEST(CombinedMtf, NoiselessSpotsAtFourSubPixelPositionsGiveTheAnalyticMtf) {
    std::vector<MtfResult> images;
    for (const auto& o : kOffsets) images.push_back(measure(spotTable(o[0], o[1], 0, 1)));
    const CombinedMtf c = combineMtf(images, kSpacing);
    ASSERT_EQ(c.images, 4);
    for (std::size_t k = 0; k < c.frequency.size() && c.frequency[k] <= 0.6; ++k)
        EXPECT_NEAR(c.value[k], analyticMtf(c.frequency[k]), 0.003) << c.frequency[k];
    ASSERT_TRUE(c.summary.mtf50);
    EXPECT_NEAR(*c.summary.mtf50 / kAnalyticMtf50, 1, 0.005);
    // The centroids follow the spots' sub-pixel offsets along the LSF.
    for (int i = 1; i < 4; ++i)
        EXPECT_NEAR(c.centroids[i] - c.centroids[0], kOffsets[i][0], 0.1) << i;
    EXPECT_NEAR(c.summary.fwhm, 2.3548 * kSigma * kSpacing, 0.05 * 2.3548 * kSigma * kSpacing);
    EXPECT_TRUE(mtfCurveFlags(c.frequency, c.value, c.standardError, c.summary.mtf10).empty());
}

// Sixteen noisy images (peak SNR 20, four sub-pixel positions): the combined MTF50 lies within
// 5 % of the analytic value while single images scatter more; the single curves that overshoot
// are flagged, the others are not.
TEST(CombinedMtf, NoisySpotsCombineCloserThanSingleImages) {
    std::vector<MtfResult> images;
    std::vector<double> singles;
    int overshooting = 0;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        for (const auto& o : kOffsets) {
            const PixelTable table = spotTable(o[0], o[1], 150, seed * 100 + images.size());
            images.push_back(measure(table));
            const MtfSummary s = summarizeMtf(images.back().mtfAbs, kSpacing, images.back().width);
            ASSERT_TRUE(s.mtf50);
            singles.push_back(*s.mtf50);
            const MtfCurve curve = mtfCurve(images.back().mtfAbs, kSpacing);
            double highest = 0;
            for (std::size_t k = 1; k < curve.value.size(); ++k)
                if (!s.mtf10 || curve.frequency[k] <= *s.mtf10)
                    highest = std::max(highest, curve.value[k]);
            const QualityFlags flags = mtfCurveFlags(
                curve.frequency, curve.value, std::vector<double>(curve.value.size(), 0), s.mtf10);
            const bool flagged = std::any_of(flags.begin(), flags.end(), [](const QualityFlag& f) {
                return f.code == "mtf-overshoot";
            });
            EXPECT_EQ(flagged, highest > kMtfOvershoot) << highest;
            overshooting += flagged;
            const PointCheck point = checkPoint(table, LsfDirection::X, tableMaximum(table), 24,
                                                images.back(), kSpacing);
            EXPECT_GT(point.peakSnr, 15);
            EXPECT_LT(point.peakSnr, 25);
            EXPECT_FALSE(point.nearEnd);
        }
    }
    EXPECT_GT(overshooting, 0);  // the noise makes some single curves overshoot
    const CombinedMtf c = combineMtf(images, kSpacing);
    ASSERT_TRUE(c.summary.mtf50);
    const double combinedError = std::abs(*c.summary.mtf50 / kAnalyticMtf50 - 1);
    EXPECT_LT(combinedError, 0.05) << *c.summary.mtf50;
    double worstSingle = 0;
    for (double s : singles) worstSingle = std::max(worstSingle, std::abs(s / kAnalyticMtf50 - 1));
    EXPECT_GT(worstSingle, 2 * combinedError);
    ASSERT_TRUE(c.mtf50Spread);
    EXPECT_GT(*c.mtf50Spread, 0.01);
}

TEST(CombinedMtf, RefusesRoisOfDifferentLengths) {
    MtfResult a = measure(spotTable(0, 0, 0, 1));
    MtfResult b = a;
    b.raw.pop_back();
    EXPECT_THROW(combineMtf({a, b}, kSpacing), AppError);
}

TEST(MtfFlags, CurvesAndPoints) {
    const std::vector<double> f = {0, 0.1, 0.2, 0.3, 0.4, 0.5};
    struct Case {
        std::vector<double> value;
        double noise;
        std::vector<std::string> codes;
    };
    const Case cases[] = {
        {{1, 0.9, 0.7, 0.4, 0.2, 0.05}, 0.0, {}},
        {{1, 1.1, 0.7, 0.4, 0.2, 0.05}, 0.0, {"mtf-overshoot", "mtf-rises"}},
        {{1, 0.6, 0.8, 0.4, 0.2, 0.05}, 0.01, {"mtf-rises"}},
        {{1, 0.6, 0.8, 0.4, 0.2, 0.05}, 0.1, {}},  // within its noise
        {{1, 0.9, 0.7, 0.4, 0.05, 0.3}, 0.0, {}},  // past MTF10 nothing counts
    };
    for (const Case& c : cases) {
        const std::vector<double> noise(f.size(), c.noise);
        const QualityFlags flags =
            mtfCurveFlags(f, c.value, noise, frequencyAtLevel(f, c.value, 0.1));
        std::vector<std::string> codes;
        for (const QualityFlag& flag : flags) codes.push_back(flag.code);
        EXPECT_EQ(codes, c.codes) << c.value[1] << " " << c.noise;
    }
    EXPECT_EQ(pointFlags({5, false, false, 0}).at(0).code, "low-peak-snr");
    EXPECT_TRUE(pointFlags({50, false, false, 0.01}).empty());
    EXPECT_EQ(pointFlags({50, false, false, 0.2}).at(0).code, "lsf-wide-cut");
    EXPECT_EQ(pointFlags({50, true, true, 0}).size(), 2u);
    // A spot 8 px from the ROI's end (FWHM 2.8 px) has its tails cut.
    const PixelTable nearEdge = spotTable(-24, 0, 0, 1);
    const MtfResult r = measure(nearEdge);
    EXPECT_TRUE(
        checkPoint(nearEdge, LsfDirection::X, tableMaximum(nearEdge), 24, r, kSpacing).nearEnd);
}

// A point-sampled Gaussian spot of σ px at a sub-pixel offset, 64 × 64 around (128, 128).
PixelTable gaussianTable(double sigma, double dx, double dy, double sd, std::uint64_t seed,
                         const std::vector<double>& kernel = {}) {
    cli::PhantomSpec spot;
    spot.kind = "point";
    spot.sigma = sigma;
    spot.centreX = 128 + dx;
    spot.centreY = 128 + dy;
    spot.amplitude = 4000;
    spot.sd = 0;
    const std::vector<std::int16_t> clean = cli::makePhantom(spot);
    std::vector<std::int16_t> noise(clean.size(), 0);
    if (sd > 0) {
        cli::PhantomSpec n;
        n.kind = "noise";
        n.mean = 0;
        n.sd = sd;
        n.kernel = kernel;
        n.seed = seed;
        noise = cli::makePhantom(n);
    }
    PixelTable table(65, 65);
    for (int r = 1; r <= 64; ++r)
        for (int c = 1; c <= 64; ++c) {
            const std::size_t i = std::size_t(96 + r - 1) * 256 + 96 + c - 1;
            table.setText(c, r, std::to_string(clean[i] + noise[i]));
        }
    return table;
}

// Noiseless spots of σ 0.85 – 2 px at four sub-pixel positions: the combined FWHM and MTF50 on
// the analytic values. (Aligned by the half-maximum centroid alone, the average was widened by
// its sub-pixel bias, and the shift's phase ramp over unsigned frequencies left a sawtooth
// pedestal on the averaged LSF: FWHM +2 … +6 % here.)
TEST(CombinedMtf, SubPixelSpotsAlignWithoutWidening) {
    const double offsets[4] = {0, 0.3, 0.55, 0.8};
    for (double sigma : {0.85, 1.2, 2.0}) {
        std::vector<MtfResult> images;
        for (int i = 0; i < 4; ++i)
            images.push_back(measure(gaussianTable(sigma, offsets[i], 0.2 * i, 0, 1)));
        const CombinedMtf c = combineMtf(images, kSpacing);
        const double fwhm = 2 * std::sqrt(2 * std::log(2.0)) * sigma * kSpacing;
        const double mtf50 = std::sqrt(std::log(2.0) / 2) / (std::numbers::pi * sigma * kSpacing);
        EXPECT_NEAR(c.summary.fwhm / fwhm, 1, 0.015) << sigma;
        ASSERT_TRUE(c.summary.mtf50) << sigma;
        EXPECT_NEAR(*c.summary.mtf50 / mtf50, 1, 0.01) << sigma;
        for (int i = 1; i < 4; ++i)
            EXPECT_NEAR(c.centroids[i] - c.centroids[0], offsets[i], 0.02) << sigma << " " << i;
        EXPECT_TRUE(combinedMtfFlags(images, c, kSpacing).empty()) << sigma;
    }
}

// The combined figures are flagged where the data cannot hold them: images that scatter (the SE
// of the mean above 1 % of MTF50) and an LSF whose tails carry MTF (a cone-shaped MTF's side
// lobes: kept to 3 FWHM the figures move when kept to 6).
TEST(CombinedMtf, FlagsImprecisionAndTailsThatCarryMtf) {
    struct Case {
        const char* what;
        bool noisy, cone;
        const char* code;
    };
    const Case cases[] = {{"noisy", true, false, "mtf-imprecise"},
                          {"cone", false, true, "mtf-tails-matter"}};
    for (const Case& k : cases) {
        std::vector<MtfResult> images;
        for (int i = 0; i < 4; ++i) {
            MtfResult r;
            if (k.cone) {
                // The LSF of an MTF falling linearly to zero at 0.25 cycles/sample: a sinc².
                r.raw.resize(64);
                for (int x = 0; x < 64; ++x) {
                    const double t = std::numbers::pi * 0.25 * (x - 32 - 0.3 * i);
                    r.raw[std::size_t(x)] = 1000 + 4000 * (t == 0 ? 1 : std::pow(std::sin(t) / t, 2));
                }
                r.lsf = r.raw;
                cutBackground(r.lsf, 1);
                r.width = kSpacing * halfWidthSamples(r.lsf);
                r.spectrum = discreteFourierTransform(r.lsf);
                r.mtfAbs = magnitude(r.spectrum);
            } else {
                r = measure(gaussianTable(1.2, 0.25 * i, 0, 150, 10 + i));
            }
            images.push_back(r);
        }
        const CombinedMtf c = combineMtf(images, kSpacing);
        const QualityFlags flags = combinedMtfFlags(images, c, kSpacing);
        EXPECT_TRUE(std::any_of(flags.begin(), flags.end(),
                                [&](const QualityFlag& f) { return f.code == k.code; }))
            << k.what << ": " << flagTexts(flags);
    }
}

// The thresholds of the precision, reach and Nyquist flags, case by case (0.5 mm: Nyquist 1 c/mm).
TEST(MtfFlags, PrecisionReachAndNyquist) {
    struct Case {
        std::optional<double> mtf50, se50, mtf10, se10;
        bool imprecise;
    };
    const Case precision[] = {{0.3, 0.0029, 0.6, 0.0099, false}, {0.3, 0.0031, 0.6, 0.0, true},
                              {0.3, 0.0, 0.6, 0.0101, true}, {std::nullopt, 0.1, 0.6, 0.0, false}};
    for (const Case& k : precision)
        EXPECT_EQ(precisionFlags(k.mtf50, k.se50, k.mtf10, k.se10, "test").size(),
                  k.imprecise ? 1u : 0u)
            << k.se50.value_or(0) << " " << k.se10.value_or(0);
    EXPECT_TRUE(nyquistFlags(0.89, kSpacing).empty());
    EXPECT_EQ(nyquistFlags(0.91, kSpacing).at(0).code, "mtf10-at-nyquist");
    EXPECT_TRUE(nyquistFlags(std::nullopt, kSpacing).empty());
    struct Reach {
        double kept50, wider50, noise50;
        bool flagged;
    };
    const Reach reaches[] = {{0.300, 0.302, 0, false}, {0.300, 0.304, 0, true},
                             {0.300, 0.304, 0.01, false}};
    for (const Reach& k : reaches) {
        MtfSummary kept, wider;
        kept.mtf50 = k.kept50;
        wider.mtf50 = k.wider50;
        EXPECT_EQ(reachFlags(kept, wider, 3, 6, k.noise50).size(), k.flagged ? 1u : 0u)
            << k.wider50 << " " << k.noise50;
    }
}

}  // namespace
}  // namespace ctiq
