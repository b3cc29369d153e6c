#include "tasks/dprime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "common/app_error.h"

namespace ctiq::tasks {
namespace {

constexpr double pi = std::numbers::pi;

// An NPS grid holding a radially symmetric spectrum S(|f|).
struct Grid {
    std::vector<double> values;
    std::int32_t n;
    double spacing;
    NpsGrid view() const { return {n, spacing, spacing, values, 0}; }
};

Grid gridOf(std::int32_t n, double spacing, const std::function<double(double)>& spectrum) {
    Grid g{std::vector<double>(static_cast<std::size_t>(n) * n), n, spacing};
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < n; ++kx)
            g.values[static_cast<std::size_t>(ky) * n + kx] =
                spectrum(std::hypot((kx < n / 2 ? kx : kx - n) / (n * spacing),
                                    (ky < n / 2 ? ky : ky - n) / (n * spacing)));
    return g;
}

TtfCurve tabulated(const std::function<double(double)>& ttf, double spacing, double upTo) {
    TtfCurve t{{}, {}, spacing};
    for (double f = 0; f <= upTo; f += 0.001) {
        t.frequency.push_back(f);
        t.value.push_back(ttf(f));
    }
    return t;
}

// ∫₀^∞ 2πf g(f) df by Simpson's rule on a fine polar grid: the radial (Hankel) route, independent
// of the Cartesian sum the implementation takes.
double radialIntegral(const std::function<double(double)>& g, double upTo) {
    const int steps = 60000;
    const double h = upTo / steps;
    double sum = 0;
    for (int i = 0; i <= steps; ++i) {
        const double f = i * h;
        sum += (i == 0 || i == steps ? 1 : i % 2 ? 4 : 2) * 2 * pi * f * g(f);
    }
    return sum * h / 3;
}

double diskTransform(double contrast, double radius, double f) {
    const double x = 2 * pi * radius * f;
    return contrast * pi * radius * radius * (x == 0 ? 1 : 2 * std::cyl_bessel_j(1.0, x) / x);
}

// White noise N₀ and a perfect TTF: d'² = ∫ W² / N₀ = C² πR² / N₀ (Parseval), less the 1/(π²Rf_N)
// of ∫ W² beyond the Nyquist frequency f_N (0.4 % here).
TEST(Detectability, WhiteNoiseAndPerfectResolutionGiveParseval) {
    const Grid white = gridOf(256, 0.1, [](double) { return 4.0; });
    const Detectability d =
        detectability(parseTask("disk:10:10"), {{0, 100}, {1, 1}, 0.1}, white.view());
    const double expected = 10.0 * 10 * pi * 25 / 4;
    EXPECT_NEAR(d.npw * d.npw / expected, 1, 0.01);
}

// A Gaussian TTF and a coloured NPS, without and with the eye filter, against the same integrals
// taken radially.
TEST(Detectability, GaussianResolutionAndColouredNoiseMatchTheRadialIntegrals) {
    const double s = 0.4, contrast = 12, radius = 2.5;
    auto ttf = [&](double f) { return std::exp(-2 * pi * pi * s * s * f * f); };
    auto nps = [](double f) {
        const double u = f / 0.3;
        return 20 * (0.2 + u * u * std::exp(-u * u));
    };
    EyeFilter eye;
    eye.viewingDistanceMm = 400;
    eye.displayScale = 1.5;
    const double toDegrees = eye.viewingDistanceMm * pi / 180 / eye.displayScale;
    const double c = 1.3 / 32;
    auto e = [&](double f) {
        const double rho = f * toDegrees;
        return std::pow(rho, 1.3) * std::exp(-c * rho * rho);
    };
    auto w2t2 = [&](double f) {
        const double w = diskTransform(contrast, radius, f);
        return w * w * ttf(f) * ttf(f);
    };
    const double signal = radialIntegral(w2t2, 4);
    const double noise = radialIntegral([&](double f) { return w2t2(f) * nps(f); }, 4);
    const double signalEye = radialIntegral([&](double f) { return w2t2(f) * e(f) * e(f); }, 4);
    const double noiseEye =
        radialIntegral([&](double f) { return w2t2(f) * nps(f) * std::pow(e(f), 4); }, 4);

    const Grid grid = gridOf(256, 0.5, nps);
    const Detectability d =
        detectability({2 * radius, contrast}, tabulated(ttf, 0.5, 2), grid.view(), eye);
    EXPECT_NEAR(d.npw / (signal / std::sqrt(noise)), 1, 0.01);
    EXPECT_NEAR(d.npwe / (signalEye / std::sqrt(noiseEye)), 1, 0.01);
    // d' grows with the contrast, in proportion.
    const Detectability twice =
        detectability({2 * radius, 2 * contrast}, tabulated(ttf, 0.5, 2), grid.view(), eye);
    EXPECT_NEAR(twice.npw / d.npw, 2, 1e-12);
    EXPECT_NEAR(twice.npwe / d.npwe, 2, 1e-12);
}

// A detrend empties ring 0 and lowers rings 1 and 2 of a white spectrum: d' NPW reads high, by
// more than 3 % when the disk's signal lies in few rings (n = 64), and the flag's d' with the next
// rings' level there is the flat spectrum's. With n = 256 the same rings carry less of it.
TEST(Detectability, FlagsTheRingsTheDetrendEmpties) {
    struct Case {
        std::int32_t n;
        double lowered;  // the NPS of rings 1 and 2 over the flat level; ring 0 empty
        bool flagged;
    };
    for (const Case c :
         {Case{64, 1, false}, Case{64, 0.5, true}, Case{64, 0.9, false}, Case{256, 0.5, false}}) {
        const double d = 0.5, step = 1 / (c.n * d);
        auto flat = [](double) { return 100.0; };
        auto detrended = [&](double f) {
            const double ring = f / step;
            return ring < 0.5 ? 0.0 : ring < 2.5 ? 100 * c.lowered : 100.0;
        };
        const TtfCurve ttf{{0, 2}, {1, 1}, d};
        const DiskTask task{5, 10};
        const Grid g = gridOf(c.n, d, detrended), f = gridOf(c.n, d, flat);
        const Detectability measured = detectability(task, ttf, g.view());
        const Detectability truth = detectability(task, ttf, f.view());
        EXPECT_TRUE(truth.flags.empty());
        ASSERT_EQ(measured.flags.size(), c.flagged ? 1u : 0u) << c.n << " " << c.lowered;
        if (c.flagged) {
            EXPECT_EQ(measured.flags[0].code, kFlagLowRings);
            EXPECT_GT(measured.npw / truth.npw, 1.03);
            // The flag names the d' of the filled rings: the flat spectrum's, to its 4 digits.
            char expected[32];
            std::snprintf(expected, sizeof expected, "would be %.4g", truth.npw);
            EXPECT_NE(measured.flags[0].text.find(expected), std::string::npos)
                << measured.flags[0].text << " " << truth.npw;
        }
    }
}

// The NPS's own noise: every grid value scatters by 1/√K of itself, so d' scatters as 1/√K: four
// times the independent ROIs halve its error. Few ROIs leave it beyond a third of the 5 %
// tolerance; an NPS that does not say how many it rests on gives no error and no flag.
TEST(Detectability, FlagsWhatTheNpsNoiseLeavesImprecise) {
    const Grid white = gridOf(64, 0.5, [](double) { return 100.0; });
    const TtfCurve ttf{{0, 2}, {1, 1}, 0.5};
    const DiskTask task{5, 10};
    auto withRois = [&](double k) {
        NpsGrid g = white.view();
        g.independentRois = k;
        return detectability(task, ttf, g);
    };
    const Detectability few = withRois(4), many = withRois(64), unknown = withRois(0);
    EXPECT_NEAR(few.npwRelativeSe / many.npwRelativeSe, 4, 1e-9);
    EXPECT_NEAR(few.npweRelativeSe / many.npweRelativeSe, 4, 1e-9);
    EXPECT_GT(few.npwRelativeSe, kMaxDprimeRelativeSe);
    EXPECT_LT(many.npwRelativeSe, kMaxDprimeRelativeSe);
    EXPECT_LT(many.npweRelativeSe, kMaxDprimeRelativeSe);
    auto codes = [](const Detectability& d) {
        std::vector<std::string> c;
        for (const QualityFlag& f : d.flags) c.push_back(f.code);
        return c;
    };
    EXPECT_EQ(codes(few), std::vector<std::string>{kFlagDprimeImprecise});
    EXPECT_TRUE(codes(many).empty());
    EXPECT_EQ(unknown.npwRelativeSe, 0);
    EXPECT_TRUE(codes(unknown).empty());
    EXPECT_EQ(many.npw, unknown.npw);  // the figure itself does not change
}

TEST(Detectability, ReadsTheTask) {
    const DiskTask t = parseTask("disk:5:-10.5");
    EXPECT_DOUBLE_EQ(t.diameterMm, 5);
    EXPECT_DOUBLE_EQ(t.contrastHu, -10.5);
    for (const char* bad : {"disk:5", "disc:5:10", "disk:x:10", "disk:0:10", "disk:5:10hu", ""})
        EXPECT_THROW(parseTask(bad), AppError) << bad;
}

TEST(Detectability, RefusesMismatchedInputs) {
    const Grid grid = gridOf(64, 0.5, [](double) { return 1.0; });
    const TtfCurve ttf{{0, 1}, {1, 0.5}, 0.5};
    const DiskTask task{5, 10};
    auto message = [&](const TtfCurve& t, const NpsGrid& g) {
        try {
            detectability(task, t, g);
        } catch (const AppError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(message({{0, 1}, {1, 0.5}, 0.6}, grid.view()).find("one pixel spacing"),
              std::string::npos);
    EXPECT_NE(message({{0, 0}, {1, 0.5}, 0.5}, grid.view()).find("must increase"),
              std::string::npos);
    EXPECT_NE(message({{}, {}, 0.5}, grid.view()).find("no values"), std::string::npos);
    NpsGrid cut = grid.view();
    cut.spectrum = cut.spectrum.first(100);
    EXPECT_NE(message(ttf, cut).find("n x n"), std::string::npos);
    const Grid silent = gridOf(64, 0.5, [](double) { return 0.0; });
    EXPECT_NE(message(ttf, silent.view()).find("no noise"), std::string::npos);
    EXPECT_EQ(message(ttf, grid.view()), "accepted");
}

}  // namespace
}  // namespace ctiq::tasks
