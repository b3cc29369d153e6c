// ctiq's 2-D noise power spectrum against the plain numpy recipe, on images both make alike.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tasks/nps2d.h"
#include "tasks/seeded_noise.h"

namespace ctiq::tasks {
namespace {

// The images of tools/tasks/nps2d_reference.py --case NAME SEED: 512 × 512, whole numbers made
// with integer steps from the seeded noise, so both sides hold the very same values.
std::vector<double> caseImage(const std::string& name, std::uint64_t seed) {
    constexpr std::int32_t size = 512;
    SeededNoise noise(seed);
    std::vector<double> g(size * size);
    for (double& v : g) v = noise.gaussian();
    auto rounded = [](double v) { return std::floor(v + 0.5); };
    std::vector<double> out(g.size());
    auto at = [&](const std::vector<double>& a, std::int32_t c, std::int32_t r) {
        return a[static_cast<std::size_t>((r + size) % size) * size + (c + size) % size];
    };
    for (std::int32_t r = 0; r < size; ++r)
        for (std::int32_t c = 0; c < size; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * size + c;
            if (name == "white") out[i] = rounded(1000 + 20 * g[i]);
            if (name == "shaded")
                out[i] = rounded(1000 + 20 * g[i]) +
                         ((c - 256) * (c - 256) + (r - 256) * (r - 256)) / 1024;
        }
    if (name == "smooth") {  // integer white noise through (1 2 1) × (1 2 1), periodic
        std::vector<double> w(g.size()), rows(g.size());
        for (std::size_t i = 0; i < g.size(); ++i) w[i] = rounded(10 * g[i]);
        for (std::int32_t r = 0; r < size; ++r)
            for (std::int32_t c = 0; c < size; ++c)
                rows[static_cast<std::size_t>(r) * size + c] =
                    at(w, c - 1, r) + 2 * at(w, c, r) + at(w, c + 1, r);
        for (std::int32_t r = 0; r < size; ++r)
            for (std::int32_t c = 0; c < size; ++c)
                out[static_cast<std::size_t>(r) * size + c] =
                    1000 + at(rows, c, r - 1) + 2 * at(rows, c, r) + at(rows, c, r + 1);
    }
    return out;
}

struct Expected {
    const char* name;
    std::vector<std::uint64_t> seeds;
    double sd, meanFrequency, peakFrequency;
    std::int32_t rois;
};

// The output of python3 tools/tasks/nps2d_reference.py --case NAME SEED... for each row.
TEST(Nps2dNumpy, AgreesWithTheNumpyRecipe) {
    const std::vector<Expected> table = {
        {"white", {1, 2}, 19.9610633684, 0.506849040742, 0.637398709622, 18},
        {"shaded", {3, 4}, 20.0102854889, 0.494477895901, 0.046875, 18},
        {"smooth", {5, 6, 7}, 60.0888329888, 0.228887662021, 0.03125, 27},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        std::vector<std::vector<double>> images;
        std::vector<ImageView> views;
        for (std::uint64_t seed : e.seeds) images.push_back(caseImage(e.name, seed));
        for (const auto& im : images) views.push_back({im, 512, 512, 0.5, 0.5});
        Nps2dParameters p;
        p.roiSize = 128;
        p.gridStep = 64;
        p.detrend = Detrend::Quadratic;
        const Nps2dResult r = computeNps2d(views, p);
        EXPECT_EQ(r.rois, e.rois);
        EXPECT_NEAR(r.sdFromSpectrum / e.sd, 1, 1e-6);
        EXPECT_NEAR(r.meanFrequency / e.meanFrequency, 1, 1e-6);
        EXPECT_NEAR(r.peakFrequency / e.peakFrequency, 1, 1e-6);
    }
}

}  // namespace
}  // namespace ctiq::tasks
