// The MTF's direct Fourier transform for the largest LSF the window takes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "mtf/lsf.h"

namespace ctiq {
namespace {

void dft2048(benchmark::State& state) {
    std::vector<double> lsf(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < lsf.size(); ++i)
        lsf[i] = std::exp(-0.01 * (i - 1024.0) * (i - 1024.0));
    for (auto _ : state) {
        const Spectrum s = discreteFourierTransform(lsf);
        benchmark::DoNotOptimize(magnitude(s).data());
    }
}
BENCHMARK(dft2048)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ctiq
