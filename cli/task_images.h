#pragma once

#include <string>
#include <vector>

#include "load/headless_load.h"
#include "tasks/nps2d.h"

namespace ctiq::cli {

// A loaded slice as the task-based metrics read it: every sample as the ROI statistics read it
// (format, "Swap" and offset, so HU for a CT image), and the spacing of the load. Holds its own
// values; view() points into them.
struct TaskImage {
    std::vector<double> values;
    std::int32_t columns = 0, rows = 0;
    double spacing = 0;  // mm, square pixels: the load gives one spacing

    tasks::ImageView view() const { return {values, columns, rows, spacing, spacing}; }
};

// Refused (AppError): an image that does not lie inside its bytes, a spacing that is not a
// positive number of millimetres (`spacingSource` names where it came from).
TaskImage taskImageOf(const LoadedImage& image, const std::string& spacingSource);

// The same into `into`, whose storage is reused: one buffer serves a whole series. With `only`,
// just the samples of that rectangle are read (all of them where it does not lie inside the
// image); the others keep what they held, for a metric that reads no other.
void readTaskImage(const LoadedImage& image, const std::string& spacingSource, TaskImage& into,
                   const tasks::PixelRegion* only = nullptr);

}  // namespace ctiq::cli
