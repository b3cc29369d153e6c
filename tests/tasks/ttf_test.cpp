#include "tasks/ttf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "common/app_error.h"
#include "tasks/disk_phantom.h"
#include "tasks/seeded_noise.h"

namespace ctiq::tasks {
namespace {

struct Insert {
    double radius, contrast, sigma, noiseSd;
    int slices;
};

constexpr std::int32_t kSize = 128;
constexpr double kSpacing = 0.6;
constexpr double kTrueX = 64.3, kTrueY = 63.8;  // off the pixel grid on purpose

// The insert's slices: one blurred disk, a fresh noise field on each slice.
std::vector<std::vector<double>> slicesOf(const Insert& insert, double trueX = kTrueX,
                                          double trueY = kTrueY) {
    DiskPhantomSpec s;
    s.columns = s.rows = kSize;
    s.centreX = trueX;
    s.centreY = trueY;
    s.radius = insert.radius;
    s.background = 40;
    s.contrast = insert.contrast;
    s.sigma = insert.sigma;
    const std::vector<double> clean = makeDiskPhantom(s);
    std::vector<std::vector<double>> out;
    for (int k = 0; k < insert.slices; ++k) {
        std::vector<double> v = clean;
        SeededNoise noise(100 + k);
        if (insert.noiseSd > 0)
            for (double& x : v) x += insert.noiseSd * noise.gaussian();
        out.push_back(std::move(v));
    }
    return out;
}

std::vector<ImageView> views(const std::vector<std::vector<double>>& slices) {
    std::vector<ImageView> v;
    for (const auto& s : slices) v.push_back({s, kSize, kSize, kSpacing, kSpacing});
    return v;
}

TtfParameters guess(const Insert& insert) {
    TtfParameters p;
    p.centreX = 65;  // a guess a pixel away, as a user clicks it
    p.centreY = 63;
    p.radius = std::round(insert.radius);
    return p;
}

// A disk blurred by a Gaussian of σ px has the TTF exp(-2π²σ²f²) (f in cycles per pixel): its
// TTF50 at √(ln 2 / 2π²) / σ. Noise-free and noisy (5 slices, contrast-to-noise 10 to 25).
// A 128 × 128 noiseless disk of 1000 HU at the test's sub-pixel centre.
std::vector<double> smallDisk(double radius, double sigma) {
    DiskPhantomSpec spec;
    spec.columns = spec.rows = 128;
    spec.centreX = kTrueX;
    spec.centreY = kTrueY;
    spec.radius = radius;
    spec.contrast = 1000;
    spec.sigma = sigma;
    return makeDiskPhantom(spec);
}

TEST(Ttf, BlurredDiskGivesTheGaussiansTransfer) {
    const std::vector<Insert> inserts = {
        {15, 500, 1.0, 0, 1},  {12, 50, 0.8, 0, 1},   {20, 1000, 2.0, 0, 1}, {15, 300, 1.2, 12, 5},
        {20, 100, 1.5, 10, 5}, {10, -200, 0.8, 8, 5}, {18, 60, 1.0, 3, 5},
    };
    for (const Insert& insert : inserts) {
        SCOPED_TRACE(testing::Message() << "R " << insert.radius << " C " << insert.contrast
                                        << " sigma " << insert.sigma << " SD " << insert.noiseSd);
        const auto slices = slicesOf(insert);
        const TtfResult r = computeTtf(views(slices), guess(insert));
        EXPECT_NEAR(r.centreX, kTrueX, 0.05);
        EXPECT_NEAR(r.centreY, kTrueY, 0.05);
        const double s = insert.sigma;
        for (std::size_t j = 0; j < r.frequency.size(); ++j) {
            const double f = r.frequency[j] * kSpacing;
            const double truth = std::exp(-2 * std::numbers::pi * std::numbers::pi * s * s * f * f);
            if (truth < 0.1) break;
            EXPECT_NEAR(r.ttf[j], truth, 0.02) << f << " cycles per pixel";
        }
        const double ttf50 = std::sqrt(std::log(2.0) / 2) / (std::numbers::pi * s) / kSpacing;
        EXPECT_NEAR(r.ttf50 / ttf50, 1, 0.03);
        EXPECT_NEAR(r.contrast / insert.contrast, 1, 0.02);
        if (insert.noiseSd > 0) {
            EXPECT_NEAR(r.noiseSd / insert.noiseSd, 1, 0.1);
        }
        EXPECT_TRUE(r.flags.empty()) << r.flags.front().text;
        EXPECT_DOUBLE_EQ(r.frequency.back(), 0.5 / kSpacing);
    }
}

TEST(Ttf, FlagsWhatMakesItUnreliable) {
    // Contrast 20 in noise of 10 on one slice.
    {
        const Insert faint{15, 20, 1.0, 10, 1};
        const auto slices = slicesOf(faint);
        TtfParameters p = guess(faint);
        p.contrastHint = 20;
        const TtfResult r = computeTtf(views(slices), p);
        ASSERT_FALSE(r.flags.empty());
        EXPECT_EQ(r.flags[0].code, kFlagTtfLowContrast);
    }
    // An edge-enhancing kernel: 1.6 × the disk blurred by 0.8 px less 0.6 × the disk blurred by
    // 2.5 px, whose transfer reaches 1.6 · 0.8 - 0.6 · 0.2 ≈ 1.2.
    {
        DiskPhantomSpec s;
        s.columns = s.rows = kSize;
        s.centreX = kTrueX;
        s.centreY = kTrueY;
        s.radius = 20;
        s.contrast = 1.6 * 300;
        s.sigma = 0.8;
        std::vector<double> v = makeDiskPhantom(s);
        s.contrast = -0.6 * 300;
        s.sigma = 2.5;
        const std::vector<double> wide = makeDiskPhantom(s);
        for (std::size_t i = 0; i < v.size(); ++i) v[i] += wide[i];
        const TtfResult r = computeTtf(views({v}), guess({20, 300, 1, 0, 1}));
        ASSERT_FALSE(r.flags.empty());
        EXPECT_EQ(r.flags[0].code, kFlagTtfAboveOne);
        // The two-step model holds this transfer exactly.
        for (std::size_t j = 0; j < r.frequency.size(); ++j) {
            const double f = r.frequency[j] * kSpacing, pi2 = std::numbers::pi * std::numbers::pi;
            const double truth =
                1.6 * std::exp(-2 * pi2 * 0.64 * f * f) - 0.6 * std::exp(-2 * pi2 * 6.25 * f * f);
            EXPECT_NEAR(r.ttf[j], truth, 0.02) << f << " cycles per pixel";
        }
    }
    // An insert whose edge profile fits in the image but whose background ring does not.
    {
        const Insert insert{10, 300, 1.0, 0, 1};
        const auto slices = slicesOf(insert, 21.2, 64);
        TtfParameters p = guess(insert);
        p.centreX = 21;
        p.centreY = 64;
        const TtfResult r = computeTtf(views(slices), p);
        ASSERT_FALSE(r.flags.empty());
        EXPECT_EQ(r.flags[0].code, kFlagTtfNearImageEdge);
        EXPECT_NEAR(r.centreX, 21.2, 0.05);
    }
}

// Where the TTF crosses `level`, by linear interpolation as ctiq reads it: the truth's own.
double crossingOf(const std::function<double(double)>& mtf, double level) {
    for (double f = 1e-5; f <= 0.5; f += 1e-5)
        if (mtf(f) <= level) {
            const double a = mtf(f - 1e-5), b = mtf(f);
            return f - 1e-5 + 1e-5 * (a - level) / (a - b);
        }
    return std::nan("");
}

// A disk of radius R px blurred by the radially symmetric kernel whose MTF is `mtf` (cycles per
// pixel, zero beyond `cutoff`), sampled at the pixel centres: the Hankel transform
// p(r) = 2πR ∫ J₁(2πRρ) J₀(2πrρ) M(ρ) dρ, tabulated every 0.01 px (Simpson's rule in ρ).
std::vector<double> hankelDisk(std::int32_t size, double cx, double cy, double radius,
                               double contrast, const std::function<double(double)>& mtf,
                               double cutoff) {
    const double pi = std::numbers::pi, reach = radius + 40, dr = 0.01;
    const int n = 2 * static_cast<int>(std::ceil(cutoff * 8 * (2 * radius + 40)));
    std::vector<double> a(n + 1);
    for (int k = 0; k <= n; ++k) {
        const double rho = cutoff * k / n;
        const double w = (k == 0 || k == n ? 1 : k % 2 ? 4 : 2) * cutoff / n / 3;
        a[k] = 2 * pi * radius * std::cyl_bessel_j(1.0, 2 * pi * radius * rho) * mtf(rho) * w;
    }
    std::vector<double> table;
    for (double r = 0; r <= reach; r += dr) {
        double p = 0;
        for (int k = 0; k <= n; ++k) p += a[k] * std::cyl_bessel_j(0.0, 2 * pi * r * cutoff * k / n);
        table.push_back(p);
    }
    std::vector<double> v(static_cast<std::size_t>(size) * size);
    for (std::int32_t r = 0; r < size; ++r)
        for (std::int32_t c = 0; c < size; ++c) {
            const double d = std::min(std::hypot(c - cx, r - cy) / dr, table.size() - 1.001);
            const auto i = static_cast<std::size_t>(d);
            v[std::size_t(r) * size + c] =
                contrast * (table[i] + (d - i) * (table[i + 1] - table[i]));
        }
    return v;
}

// Cases the fit once got wrong without a flag, against the blur's own MTF: single slices of
// σ 1.2 px at CNR 30 whose two-step fit had collapsed to TTF50 ≈ 0.011 c/mm (ctiq's phantom,
// rounded to words as ctiq-cli writes it); a cone-shaped MTF (zero at 0.8 c/mm), once TTF10
// +8 %; a 3 mm insert, once its radius 2 % small.
TEST(Ttf, FormerlySilentFailuresMeetTheirTruth) {
    const double pi2 = std::numbers::pi * std::numbers::pi, spacing = 0.5;
    auto gaussian = [&](double s) {
        return std::function<double(double)>(
            [=](double f) { return std::exp(-2 * pi2 * s * s * f * f); });
    };
    struct Case {
        const char* name;
        std::vector<double> image;
        std::int32_t size;
        double radius;
        std::function<double(double)> mtf;
    };
    std::vector<Case> cases;
    for (std::uint64_t seed : {20, 24, 25, 27, 35, 40}) {
        DiskPhantomSpec s;
        s.centreX = s.centreY = 128;
        s.radius = 15;
        s.contrast = 300;
        s.sigma = 1.2;
        s.noiseSd = 10;
        s.seed = seed;
        std::vector<double> v = makeDiskPhantom(s);
        for (double& x : v) x = std::nearbyint(x);
        cases.push_back({"sigma 1.2 px, CNR 30", v, 256, 15, gaussian(1.2)});
    }
    const double cutoff = 0.8 * spacing;
    auto cone = [=](double f) { return std::max(0.0, 1 - f / cutoff); };
    cases.push_back({"cone MTF, R 15 px", hankelDisk(128, 64.3, 63.8, 15, 1000, cone, cutoff), 128,
                     15, cone});
    cases.push_back({"R 3 mm", smallDisk(6, 1.2), 128, 6, gaussian(1.2)});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageView view{c.image, c.size, c.size, spacing, spacing};
        TtfParameters p;
        p.centreX = std::round(c.size == 256 ? 128.0 : kTrueX);
        p.centreY = std::round(c.size == 256 ? 128.0 : kTrueY);
        p.radius = c.radius;
        const TtfResult r = computeTtf(std::span(&view, 1), p);
        EXPECT_NEAR(r.ttf50 / (crossingOf(c.mtf, 0.5) / spacing), 1, 0.03);
        EXPECT_NEAR(r.ttf10 / (crossingOf(c.mtf, 0.1) / spacing), 1, 0.05);
        for (std::size_t j = 0; j < r.frequency.size(); ++j)
            EXPECT_NEAR(r.ttf[j], c.mtf(r.frequency[j] * spacing), 0.02) << r.frequency[j];
        EXPECT_NEAR(r.radius, c.radius, 0.03);
    }
}

// What the data cannot support is flagged: single slices at CNR 20 (where the fit had collapsed
// unflagged in 2 seeds of 10) are each within the tolerances of the blur's own MTF or flagged,
// and a 2 mm insert at σ 1.2 px, whose profile inside never levels off, is flagged as small.
TEST(Ttf, FlagsWhatTheDataCannotSupport) {
    const double pi2 = std::numbers::pi * std::numbers::pi, spacing = 0.5, sigma = 1.2;
    auto mtf = [&](double f) { return std::exp(-2 * pi2 * sigma * sigma * f * f); };
    const double ttf50 = crossingOf(mtf, 0.5) / spacing, ttf10 = crossingOf(mtf, 0.1) / spacing;
    DiskPhantomSpec s;
    s.centreX = s.centreY = 128;
    s.radius = 15;
    s.contrast = 200;
    s.sigma = sigma;
    s.noiseSd = 10;
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE(seed);
        s.seed = seed;
        std::vector<double> v = makeDiskPhantom(s);
        for (double& x : v) x = std::nearbyint(x);
        const ImageView view{v, 256, 256, spacing, spacing};
        TtfParameters p;
        p.centreX = p.centreY = 128;
        p.radius = 15;
        const TtfResult r = computeTtf(std::span(&view, 1), p);
        double curve = 0;
        for (std::size_t j = 0; j < r.frequency.size(); ++j)
            curve = std::max(curve, std::abs(r.ttf[j] - mtf(r.frequency[j] * spacing)));
        const bool within = std::abs(r.ttf50 / ttf50 - 1) <= 0.03 &&
                            std::abs(r.ttf10 / ttf10 - 1) <= 0.05 && curve <= 0.02;
        EXPECT_TRUE(within || !r.flags.empty())
            << "TTF50 " << r.ttf50 << ", TTF10 " << r.ttf10 << ", curve off by " << curve;
    }
    const std::vector<double> v = smallDisk(4, sigma);
    const ImageView view{v, 128, 128, spacing, spacing};
    TtfParameters p;
    p.centreX = 64;
    p.centreY = 64;
    p.radius = 4;
    const TtfResult r = computeTtf(std::span(&view, 1), p);
    ASSERT_FALSE(r.flags.empty());
    EXPECT_EQ(r.flags[0].code, kFlagTtfInsertSmall);
}

TEST(Ttf, RefusesWhatItCannotMeasure) {
    const Insert insert{10, 300, 1.0, 0, 1};
    const auto slices = slicesOf(insert);
    const auto near = slicesOf(insert, 12, 64);
    const std::vector<double> flat(kSize * kSize, 40.0);
    struct Case {
        std::vector<ImageView> images;
        std::function<void(TtfParameters&)> change;
        const char* message;
    };
    const std::vector<Case> cases = {
        {views(slices), [](TtfParameters& p) { p.radius = 2; }, "at least 3 px"},
        {views(slices), [](TtfParameters& p) { p.radius = 70; }, "at least 3 px"},
        {views(slices), [](TtfParameters& p) { p.centreX = -3; }, "outside the image"},
        {views(slices), [](TtfParameters& p) { p.centreY = 200; }, "outside the image"},
        {views(near), [](TtfParameters& p) { p.centreX = 12; }, "too close to the image's edge"},
        {{ImageView{slices[0], kSize, kSize, 0.5, 0.6}}, [](TtfParameters&) {}, "square pixels"},
        {{ImageView{flat, kSize, kSize, 0.5, 0.5}}, [](TtfParameters&) {}, "No circular edge"},
        {{}, [](TtfParameters&) {}, "No image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TtfParameters p = guess(insert);
        c.change(p);
        try {
            computeTtf(c.images, p);
            ADD_FAILURE() << "accepted";
        } catch (const AppError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace ctiq::tasks
