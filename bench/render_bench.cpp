// Rendering and loading figures: the viewer re-renders on every mouse move of a window drag.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/show_loaded.h"
#include "load/dicom/dicom_header.h"
#include "viewer/auto_window.h"
#include "viewer/render.h"

namespace ctiq {
namespace {

std::vector<std::uint8_t> noiseImage(int columns, int rows) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(columns) * rows * 2);
    std::mt19937 random(1);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto v = static_cast<std::uint16_t>(1000 + random() % 200);
        bytes[i] = static_cast<std::uint8_t>(v & 0xFF);
        bytes[i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return bytes;
}

void renderImage(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t> data = noiseImage(n, n);
    const StoredImageLayout image{0, n, n, SampleFormat::Word16};
    const ViewLayout layout = computeView(1, n, n, 0, 0);
    DisplayBitmap bitmap;
    PaintOptions options;
    options.offset = -1024;
    for (auto _ : state) {
        bitmap.resize(layout.bitmapWidth, layout.bitmapHeight);
        paintView(data.data(), data.size(), image, layout, {40, 400}, options, bitmap);
        drawRoiFrame(bitmap, {n / 4, n / 4, 3 * n / 4, 3 * n / 4});
        benchmark::DoNotOptimize(bitmap.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(renderImage)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond);

// What a 512 × 512 DICOM load computes after reading the file: header, two renderings and the
// automatic window.
void loadWork512(benchmark::State& state) {
    std::vector<std::uint8_t> file(1024, 0);
    const std::vector<std::uint8_t> meta = {'D', 'I', 'C', 'M', 2, 0, 0, 0,   'U', 'L', 4, 0,   4,
                                            0,   0,   0,   2,   0, 2, 0, 'U', 'I', 2,   0, '1', 0};
    std::copy(meta.begin(), meta.end(), file.begin() + 128);
    const std::vector<std::uint8_t> pixelTag = {0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 0, 0, 8, 0};
    std::copy(pixelTag.begin(), pixelTag.end(), file.begin() + 1012);
    const std::vector<std::uint8_t> pixels = noiseImage(512, 512);
    file.insert(file.end(), pixels.begin(), pixels.end());
    const StoredImageLayout image{1024, 512, 512, SampleFormat::Word16};
    DisplayBitmap bitmap;
    const TagDictionary& dictionary = TagDictionary::builtIn();
    for (auto _ : state) {
        const DicomHeaderResult header = readDicomHeader(file.data(), file.size(), dictionary);
        benchmark::DoNotOptimize(header.rows.data());
        bench::showLoaded(file, image, bitmap);
    }
}
BENCHMARK(loadWork512)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ctiq
