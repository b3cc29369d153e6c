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
