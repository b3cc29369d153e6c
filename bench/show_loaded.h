#pragma once

#include <benchmark/benchmark.h>

#include "load/load_plan.h"
#include "viewer/auto_window.h"
#include "viewer/load_placement.h"
#include "viewer/render.h"

namespace ctiq::bench {

// What a load shows after reading: a rendering with the default window, the automatic window,
// and a rendering with it, at magnification 1.
inline void showLoaded(const ImageBytes& samples, const StoredImageLayout& image,
                       DisplayBitmap& bitmap) {
    const ViewLayout layout = computeView(1, image.columns, image.rows, 0, 0);
    bitmap.resize(layout.bitmapWidth, layout.bitmapHeight);
    paintView(samples.data(), samples.size(), image, layout, kDefaultWindow, {}, bitmap);
    const auto window = computeAutoWindow(samples.data(), samples.size(), image, {});
    paintView(samples.data(), samples.size(), image, layout, *window, {}, bitmap);
    benchmark::DoNotOptimize(bitmap.pixels.data());
}

}  // namespace ctiq::bench
