#include "tasks/nps2d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>

#include "common/app_error.h"
#include "common/spectrum_peak.h"
#include "tasks/disk_phantom.h"
#include "tests/tasks/test_images.h"

namespace ctiq::tasks {
namespace {

using test::Slice;

std::vector<ImageView> views(const std::vector<Slice>& slices) {
    std::vector<ImageView> v;
    for (const Slice& s : slices) v.push_back(s.view());
    return v;
}

// The ring average of an analytic 2-D spectrum S(fx, fy) (c/mm) over the grid points whose
// frequency rounds to each bin, as the definition reads: for every point of the full n × n grid.
std::vector<double> analyticRings(std::int32_t n, double dx, double dy,
                                  const std::function<double(double, double)>& spectrum) {
    const double d = std::max(dx, dy);
    std::vector<double> sum, count;
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < n; ++kx) {
            const double fx = (kx < n / 2 ? kx : kx - n) / (n * dx);
            const double fy = (ky < n / 2 ? ky : ky - n) / (n * dy);
            const auto b = static_cast<std::size_t>(std::lround(std::hypot(fx, fy) * n * d));
            if (b >= sum.size()) sum.resize(b + 1, 0.0), count.resize(b + 1, 0.0);
            sum[b] += spectrum(fx, fy);
            count[b] += 1;
        }
    for (std::size_t b = 0; b < sum.size(); ++b) sum[b] /= count[b];
    return sum;
}

struct WhiteCase {
    double sd, dx, dy;
    Detrend detrend;
};

// White noise of SD σ has the flat spectrum σ² Δx Δy, and its integral gives σ back. Each
// periodogram point of white Gaussian noise is exponentially distributed with its mirror as its
// only twin, so a ring of m points scatters by S √(2 / m) from ROI to ROI.
TEST(Nps2d, WhiteNoiseIsFlatAtTheVarianceTimesThePixelArea) {
    for (const WhiteCase& c :
         {WhiteCase{20, 0.5, 0.5, Detrend::Quadratic}, WhiteCase{5, 0.8, 0.6, Detrend::Plane},
          WhiteCase{12, 0.7, 0.7, Detrend::Mean}}) {
        SCOPED_TRACE(c.sd);
        std::vector<Slice> slices;
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            slices.push_back(test::whiteNoise(512, 512, c.sd, seed, 40));
            slices.back().spacingX = c.dx;
            slices.back().spacingY = c.dy;
        }
        Nps2dParameters p;
        p.detrend = c.detrend;
        p.gridStep = 128;  // ROIs that do not overlap scatter independently
        const Nps2dResult r = computeNps2d(views(slices), p);
        EXPECT_EQ(r.rois, 16);
        const double flat = c.sd * c.sd * c.dx * c.dy;
        double level = 0, scatterRatio = 0;
        int bins = 0;
        for (const RadialBin& b : r.radial) {
            // The fitted surface takes power from the lowest rings only.
            if (b.frequency < 0.1 * r.nyquist || b.frequency > r.nyquist) continue;
            level += b.value;
            scatterRatio += b.standardError / (b.value * std::sqrt(2.0 / b.samples / r.rois));
            ++bins;
        }
        EXPECT_NEAR(level / bins / flat, 1, 0.03);
        EXPECT_NEAR(scatterRatio / bins, 1, 0.1);
        EXPECT_NEAR(r.sdFromSpectrum / c.sd, 1, 0.01);
        EXPECT_NEAR(r.meanRoiSd / c.sd, 1, 0.01);
        // Flat: the mean frequency half the Nyquist frequency (the plain Σ f·NPS / Σ NPS over
        // the rings read it 2/n high, and the rings the detrend empties higher still).
        EXPECT_NEAR(r.meanFrequency / (r.nyquist / 2), 1, 0.015);
        EXPECT_EQ(r.independentRois, 16);  // the ROIs do not overlap
        EXPECT_TRUE(r.flags.empty());
    }
}

// Overlapping ROIs share pixels: two ROIs sharing the share ρ of them have powers correlated by
// ρ², and K ROIs count as K² / Σ ρ² independent ones. The default grid (n / 2 apart) over 256 × 256
// pixels: 3 × 3 ROIs of 128, Σ ρ² = (3 + 4 · ¼)² = 16 per slice.
TEST(Nps2d, CountsOverlappingRoisAsTheirCorrelationSays) {
    std::vector<Slice> slices = {test::whiteNoise(256, 256, 10, 3), test::whiteNoise(256, 256, 10, 4)};
    const Nps2dResult r = computeNps2d(views(slices), {});
    EXPECT_EQ(r.rois, 18);
    EXPECT_NEAR(r.independentRois, 2 * 81.0 / 16, 1e-12);
}

// What the periodogram of an n × n ROI of filtered white noise (SD σ) has in expectation: the
// noise's autocorrelation R(τ) = σ² Σ h(i, j) h(i + τx, j + τy), weighted by the ROI's overlap
// with its own shift (1 - |τx|/n)(1 - |τy|/n), transformed. (fx, fy) in cycles per pixel; the
// result per pixel area.
double periodogramExpectation(const test::Kernel& k, double sd, std::int32_t n, double fx,
                              double fy) {
    double sum = 0;
    for (std::int32_t ty = -(k.height - 1); ty < k.height; ++ty)
        for (std::int32_t tx = -(k.width - 1); tx < k.width; ++tx) {
            double r = 0;
            for (std::int32_t j = 0; j < k.height; ++j)
                for (std::int32_t i = 0; i < k.width; ++i)
                    if (i + tx >= 0 && i + tx < k.width && j + ty >= 0 && j + ty < k.height)
                        r += k.taps[static_cast<std::size_t>(j) * k.width + i] *
                             k.taps[static_cast<std::size_t>(j + ty) * k.width + i + tx];
            const double overlap = (1 - std::abs(tx) / double(n)) * (1 - std::abs(ty) / double(n));
            sum += overlap * sd * sd * r * std::cos(2 * std::numbers::pi * (fx * tx + fy * ty));
        }
    return sum;
}

// Noise through (¼ ½ ¼) along rows and columns has the spectrum σ² Δx Δy |H(fx)|² |H(fy)|² with
// H(f) = ½ + ½ cos(2π f Δ). The mean detrend changes only the zero-frequency point, so every
// other ring estimates it, up to the leakage of the ROI's edges: of order 1/n against the
// correlation, which the steep fall of |H|⁴ makes 5 % and more of the spectrum above 0.7 Nyquist
// for n = 128. So: within 5 % of the spectrum up to 0.7 Nyquist, and within 5 % of the
// estimator's exact expectation (leakage included) up to 0.8 Nyquist.
TEST(Nps2d, FilteredNoiseFollowsTheFiltersSpectrum) {
    const test::Kernel kernel = test::separable({0.25, 0.5, 0.25}, {0.25, 0.5, 0.25});
    std::vector<Slice> slices;
    for (std::uint64_t seed = 11; seed <= 26; ++seed)
        slices.push_back(test::filtered(test::whiteNoise(512, 512, 30, seed), kernel));
    Nps2dParameters p;
    p.detrend = Detrend::Mean;
    p.region = PixelRegion{0, 0, 512, 512};
    const Nps2dResult r = computeNps2d(views(slices), p);
    EXPECT_EQ(r.rois, 16 * 49);
    const double d = 0.5;
    const std::vector<double> spectrum = analyticRings(128, d, d, [&](double fx, double fy) {
        return 900 * d * d * test::transferSquared(kernel, fx * d, fy * d);
    });
    const std::vector<double> expectation = analyticRings(128, d, d, [&](double fx, double fy) {
        return d * d * periodogramExpectation(kernel, 30, 128, fx * d, fy * d);
    });
    ASSERT_EQ(spectrum.size(), r.radial.size());
    for (std::size_t b = 1; b < r.radial.size(); ++b) {
        const double f = r.radial[b].frequency;
        if (f >= 0.8 * r.nyquist) break;
        if (f < 0.7 * r.nyquist) {
            EXPECT_NEAR(r.radial[b].value / spectrum[b], 1, 0.05) << "bin " << b;
        }
        EXPECT_NEAR(r.radial[b].value / expectation[b], 1, 0.05) << "bin " << b;
    }
    // The 2-D spectrum itself, away from the axes' lowest points, at a few places; its mirror
    // half is the same.
    const std::vector<double> shifted = r.shifted();
    for (auto [kx, ky] : {std::pair{10, 3}, std::pair{-20, 17}, std::pair{40, -5}}) {
        const std::size_t at = static_cast<std::size_t>((ky + 64) * 128 + (kx + 64));
        const std::size_t mirror = static_cast<std::size_t>((64 - ky) * 128 + (64 - kx));
        const double truth = 900 * d * d * test::transferSquared(kernel, kx / 128.0, ky / 128.0);
        EXPECT_NEAR(shifted[at] / truth, 1, 0.15) << kx << "," << ky;
        EXPECT_DOUBLE_EQ(shifted[at], shifted[mirror]);
        EXPECT_DOUBLE_EQ(
            shifted[at],
            r.spectrum[static_cast<std::size_t>(((ky + 128) % 128) * 128 + (kx + 128) % 128)]);
    }
    EXPECT_DOUBLE_EQ(r.frequencyX(64), -1.0);
    EXPECT_DOUBLE_EQ(r.frequencyY(63), 63 / 64.0);
}

// Band-pass noise: white noise through a Laplacian of a Gaussian (σ = 1.5 px, sampled out to
// ±6 px), six times over, which makes a ring of frequencies nearly alike in every direction and
// narrow enough that its peak stands clear of the neighbouring rings. The expected peak and mean
// frequency are those of the filter's own ring profile on the same grid.
TEST(Nps2d, BandPassNoisePeaksWhereItsFilterDoes) {
    const double s = 1.5;
    std::vector<double> g, g2;
    double total = 0;
    for (int x = -6; x <= 6; ++x) {
        g.push_back(std::exp(-x * x / (2 * s * s)));
        g2.push_back((x * x / (s * s * s * s) - 1 / (s * s)) * g.back());
        total += g.back();
    }
    for (double& v : g) v /= total;
    const int times = 6;
    std::vector<Slice> slices;
    for (std::uint64_t seed = 31; seed <= 38; ++seed) {
        Slice v = test::whiteNoise(512, 512, 10, seed);
        for (int k = 0; k < times; ++k) {
            Slice a = test::pass(test::pass(v, g2, true), g, false);
            const Slice b = test::pass(test::pass(v, g, true), g2, false);
            for (std::size_t i = 0; i < a.samples.size(); ++i) a.samples[i] += b.samples[i];
            v = std::move(a);
        }
        slices.push_back(std::move(v));
    }
    Nps2dParameters p;
    p.region = PixelRegion{0, 0, 512, 512};
    const Nps2dResult r = computeNps2d(views(slices), p);
    const double d = 0.5;
    const std::vector<double> rings = analyticRings(128, d, d, [&](double fx, double fy) {
        const double h = test::transfer1d(g2, fx * d) * test::transfer1d(g, fy * d) +
                         test::transfer1d(g, fx * d) * test::transfer1d(g2, fy * d);
        return std::pow(h * h, times);
    });
    // The filter's figures: its rings' peak found as the measured one is (between the rings),
    // and its mean frequency by the trapezoid over 0 … Nyquist.
    std::vector<double> frequency, profile;
    double moment = 0, mass = 0;
    for (std::size_t b = 0; b < rings.size() && b / (128 * d) <= 1 / (2 * d); ++b) {
        frequency.push_back(b / (128 * d));
        profile.push_back(rings[b]);
    }
    for (std::size_t b = 0; b < profile.size(); ++b) {
        const double w = b == 0 || b + 1 == profile.size() ? 0.5 : 1;
        moment += w * frequency[b] * profile[b];
        mass += w * profile[b];
    }
    const double peak = spectrumPeak(frequency, profile, {}, 1, profile.size() - 1).frequency;
    EXPECT_NEAR(r.peakFrequency / peak, 1, 0.02);
    EXPECT_NEAR(r.meanFrequency / (moment / mass), 1, 0.03);
    EXPECT_LT(r.peakFrequencyRelativeSe, kMaxPeakRelativeSe);
}

// Shading the quadratic detrend cannot take (rings about the centre, 96 px apart, small enough
// that the ROIs' means stay within the noise) puts the spectrum's peak at the first rings; noise,
// white or low-pass ((¼, ½, ¼) along both axes, largest at zero frequency), does not. The ROI SD
// before the detrend carries the shading.
TEST(Nps2d, FlagsShadingAtTheFirstRingsButNotLowPassNoise) {
    struct Case {
        const char* name;
        bool lowPass;
        double shading;  // amplitude of the rings, HU, against noise of SD 10 (white)
        std::int32_t roiSize;
        bool flagged;
    };
    const Case cases[] = {
        {"white", false, 0, 128, false},         {"low-pass", true, 0, 128, false},
        {"low-pass", true, 0, 64, false},        {"white, rings", false, 10, 128, true},
        {"low-pass, rings", true, 5, 128, true}, {"white, rings", false, 10, 64, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", n " + std::to_string(c.roiSize));
        Slice slice = test::whiteNoise(256, 256, 10, 11);
        if (c.lowPass) {
            const std::vector<double> taps = {0.25, 0.5, 0.25};
            slice = test::filtered(slice, test::separable(taps, taps));
        }
        double noiseSd = 0;
        for (double v : slice.samples) noiseSd += v * v / slice.samples.size();
        noiseSd = std::sqrt(noiseSd);
        for (std::int32_t r = 0; r < 256; ++r)
            for (std::int32_t col = 0; col < 256; ++col) {
                const double radius = std::hypot(col - 128.0, r - 128.0);
                slice.at(col, r) += c.shading * std::cos(2 * std::numbers::pi * radius / 96);
            }
        Nps2dParameters p;
        p.roiSize = c.roiSize;
        const Nps2dResult r = computeNps2d(std::vector{slice.view()}, p);
        const bool flagged = std::any_of(r.flags.begin(), r.flags.end(), [](const QualityFlag& f) {
            return f.code == kFlagShading;
        });
        EXPECT_EQ(flagged, c.flagged);
        if (c.shading == 0) {
            // Noise alone: before and after the detrend the same SD, the noise's.
            EXPECT_NEAR(r.rawRoiSd / noiseSd, 1, 0.03);
            EXPECT_NEAR(r.meanRoiSd / noiseSd, 1, 0.03);
        } else {
            EXPECT_GT(r.rawRoiSd, 1.05 * noiseSd);
        }
        if (c.shading != 0 && c.roiSize == 128 && !c.lowPass) {  // the fault: the first ring
            EXPECT_NEAR(r.peakFrequency, 1 / (128 * 0.5), 1e-12);
        }
    }
}

// A quadratic shading small against the noise is what the detrend is for; a region reaching out
// of the phantom is not.
TEST(Nps2d, FlagsARegionThatIsNotOneMaterial) {
    Slice shaded = test::whiteNoise(512, 512, 10, 7);
    for (std::int32_t r = 0; r < 512; ++r)
        for (std::int32_t c = 0; c < 512; ++c)
            shaded.at(c, r) +=
                4.0 * ((c - 256.0) * (c - 256.0) + (r - 256.0) * (r - 256.0)) / (128.0 * 128.0 * 2);
    const Nps2dResult smooth = computeNps2d(std::vector{shaded.view()}, {});
    // One slice of white noise: the rings scatter by a fifth, and its flat profile's largest ring
    // may say a peak the noise leaves open; nothing else.
    for (const QualityFlag& f : smooth.flags) EXPECT_EQ(f.code, kFlagPeakImprecise) << f.text;

    // Water (0 HU) in a disk of radius 160 px, air (-1000 HU) around it; the region's corner
    // ROIs reach out of it.
    DiskPhantomSpec disk;
    disk.columns = disk.rows = 512;
    disk.centreX = disk.centreY = 256;
    disk.radius = 160;
    disk.background = -1000;
    disk.contrast = 1000;
    disk.noiseSd = 10;
    const std::vector<double> values = makeDiskPhantom(disk);
    Nps2dParameters p;
    p.region = PixelRegion{64, 64, 384, 384};
    const Nps2dResult edge = computeNps2d(std::vector{ImageView{values, 512, 512, 0.5, 0.5}}, p);
    ASSERT_EQ(edge.flags.size(), 1u);
    EXPECT_EQ(edge.flags[0].code, kFlagNonUniformRegion);
    EXPECT_NE(edge.flags[0].text.find("not one uniform material"), std::string::npos);
}

void expectSameResult(const Nps2dResult& a, const Nps2dResult& b) {
    EXPECT_EQ(a.spectrum, b.spectrum);
    ASSERT_EQ(a.radial.size(), b.radial.size());
    for (std::size_t i = 0; i < a.radial.size(); ++i) {
        EXPECT_EQ(a.radial[i].value, b.radial[i].value);
        EXPECT_EQ(std::isnan(a.radial[i].standardError), std::isnan(b.radial[i].standardError));
        if (!std::isnan(a.radial[i].standardError)) {
            EXPECT_EQ(a.radial[i].standardError, b.radial[i].standardError);
        }
        EXPECT_EQ(a.radial[i].samples, b.radial[i].samples);
    }
    EXPECT_EQ(a.sdFromSpectrum, b.sdFromSpectrum);
    EXPECT_EQ(a.meanRoiSd, b.meanRoiSd);
    EXPECT_EQ(a.rawRoiSd, b.rawRoiSd);
    EXPECT_EQ(a.peakFrequency, b.peakFrequency);
    EXPECT_EQ(a.meanFrequency, b.meanFrequency);
    EXPECT_EQ(a.rois, b.rois);
    EXPECT_EQ(a.flags.size(), b.flags.size());
}

// A series gathered slice by slice is the ensemble of all its slices, bit for bit; the samples
// outside the region are never read, and a refused slice leaves the ensemble as it was.
TEST(Nps2d, SliceBySliceIsTheWholeEnsemble) {
    struct Case {
        Nps2dParameters p;
        PixelRegion used;  // the region the parameters give on 300 x 260 slices
    };
    Nps2dParameters plane;
    plane.roiSize = 32;
    plane.gridStep = 12;
    plane.detrend = Detrend::Plane;
    plane.region = PixelRegion{17, 9, 150, 120};
    for (const Case& c : {Case{{}, {22, 2, 256, 256}}, Case{plane, *plane.region}}) {
        SCOPED_TRACE(c.p.roiSize);
        std::vector<Slice> slices;
        for (std::uint64_t seed = 1; seed <= 3; ++seed)
            slices.push_back(test::whiteNoise(300, 260, 8, seed, 50));
        const Nps2dResult whole = computeNps2d(views(slices), c.p);

        Nps2dEnsemble ensemble(c.p);
        const Slice wrongSize = test::whiteNoise(260, 300, 8, 9);
        for (std::size_t i = 0; i < slices.size(); ++i) {
            Slice blind = slices[i];
            for (std::int32_t r = 0; r < blind.rows; ++r)
                for (std::int32_t col = 0; col < blind.columns; ++col)
                    if (r < c.used.y || r >= c.used.y + c.used.height || col < c.used.x ||
                        col >= c.used.x + c.used.width)
                        blind.at(col, r) = std::numeric_limits<double>::quiet_NaN();
            ensemble.add(blind.view());
            if (i == 0) {
                EXPECT_THROW(ensemble.add(wrongSize.view()), AppError);
            }
        }
        EXPECT_EQ(ensemble.slices(), 3);
        expectSameResult(ensemble.result(), whole);
    }
    EXPECT_THROW(Nps2dEnsemble({}).result(), AppError);
}

TEST(Nps2d, RefusesWhatItCannotMeasure) {
    const Slice a = test::whiteNoise(200, 200, 5, 1);
    Slice other = a;
    other.spacingX = 0.6;
    const Slice small = test::whiteNoise(100, 200, 5, 1);
    struct Case {
        std::vector<ImageView> images;
        Nps2dParameters p;
        const char* message;
    };
    auto with = [](std::function<void(Nps2dParameters&)> change) {
        Nps2dParameters p;
        change(p);
        return p;
    };
    const std::vector<Case> cases = {
        {{}, {}, "No image"},
        {{a.view()}, with([](auto& p) { p.roiSize = 6; }), "even number of at least 8"},
        {{a.view()}, with([](auto& p) { p.roiSize = 33; }), "even number of at least 8"},
        {{a.view()}, with([](auto& p) { p.gridStep = -4; }), "grid step"},
        {{a.view()},
         with([](auto& p) {
             p.region = PixelRegion{150, 0, 128, 128};
         }),
         "does not lie inside the image"},
        {{a.view()},
         with([](auto& p) {
             p.region = PixelRegion{0, 0, 100, 200};
         }),
         "smaller than one ROI"},
        {{a.view()}, with([](auto& p) { p.roiSize = 256; }), "smaller than one ROI"},
        {{a.view(), other.view()}, {}, "one spacing"},
        {{a.view(), small.view()}, {}, "one size"},
        {{ImageView{a.samples, 200, 200, 0, 0.5}}, {}, "positive number of millimetres"},
        {{ImageView{a.samples, 200, 199, 0.5, 0.5}}, {}, "holds 40000 samples"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            computeNps2d(c.images, c.p);
            ADD_FAILURE() << "accepted";
        } catch (const AppError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace ctiq::tasks
