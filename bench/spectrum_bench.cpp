// The noise power spectrum of one image as "Cal" and ctiq-cli nps compute it, with the
// parameters "Load" derives for an ROI as wide as the image (segments of a quarter of it for
// 512 × 512; N = 1024 on a 1024 × 1024 image), Hamming window.
#include <benchmark/benchmark.h>

#include <map>

#include "cli/phantom.h"
#include "wiener/spectrum.h"

namespace ctiq {
namespace {

const ImageBytes& noiseImage(std::int32_t side) {
    static std::map<std::int32_t, ImageBytes> images;
    ImageBytes& bytes = images[side];
    if (bytes.empty()) {
        cli::PhantomSpec spec;
        spec.kind = "noise";
        spec.columns = spec.rows = side;
        for (std::int16_t w : cli::makePhantom(spec)) {
            bytes.push_back(static_cast<std::uint8_t>(w));
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(w) >> 8));
        }
    }
    return bytes;
}

void spectrum(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    const bool autocorrelation = state.range(1) != 0;
    const std::int32_t side = n == 1024 ? 1024 : 512;
    const ImageBytes& bytes = noiseImage(side);
    const SpectrumImage source =
        spectrumSource(bytes, {0, side, side, SampleFormat::Word16}, {}, 0, 0);
    SpectrumParameters p = defaultSpectrumParameters(side, side, 0.5, DataWindow::Hamming);
    p.segmentX = n;
    p.shiftX = n / 2;
    p.autocorrelation = autocorrelation;
    for (auto _ : state) benchmark::DoNotOptimize(computeWienerSpectrum(source, p).spectrum.data());
}
BENCHMARK(spectrum)
    ->ArgNames({"N", "acf"})
    ->Args({64, 0})
    ->Args({128, 0})
    ->Args({256, 0})
    ->Args({1024, 0})
    ->Args({128, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ctiq
