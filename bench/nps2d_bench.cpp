// The 2-D noise power spectrum of one 512 × 512 image as the usual numpy recipe takes it: 128 × 128 ROIs on a 64-pixel grid over the central 256 × 256 pixels, each minus its
// second-order surface. bench/nps2d_peers.sh sets it beside numpy.
#include <benchmark/benchmark.h>

#include <vector>

#include "tasks/nps2d.h"
#include "tasks/seeded_noise.h"

namespace ctiq::tasks {
namespace {

void nps2d(benchmark::State& state) {
    std::vector<double> samples(512 * 512);
    SeededNoise noise(1);
    for (double& v : samples) v = 1000 + 20 * noise.gaussian();
    const std::vector<ImageView> images{ImageView{samples, 512, 512, 0.5, 0.5}};
    Nps2dParameters p;
    p.roiSize = 128;
    p.gridStep = 64;
    p.detrend = Detrend::Quadratic;
    for (auto _ : state) benchmark::DoNotOptimize(computeNps2d(images, p));
    state.SetItemsProcessed(state.iterations());  // images
}
BENCHMARK(nps2d)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ctiq::tasks
