#include "cli/task_images.h"

#include <bit>
#include <cstring>

#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/vector_clones.h"
#include "image/roi_block.h"

namespace ctiq::cli {

namespace {

// Little-endian words, each plus the offset, wrapped to 16 bits and read as signed (the sample
// value rule without "Swap"), as doubles.
CTIQ_VECTOR_CLONES void plainWordValues(const std::uint8_t* words, std::int32_t count,
                                        std::uint16_t offset, double* __restrict values) {
    for (std::int32_t c = 0; c < count; ++c) {
        std::uint16_t raw;
        std::memcpy(&raw, words + 2 * static_cast<std::size_t>(c), 2);
        values[c] = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw + offset));
    }
}

}  // namespace

TaskImage taskImageOf(const LoadedImage& image, const std::string& spacingSource) {
    TaskImage out;
    readTaskImage(image, spacingSource, out);
    return out;
}

void readTaskImage(const LoadedImage& image, const std::string& spacingSource, TaskImage& out,
                   const tasks::PixelRegion* only) {
    const StoredImageLayout& layout = image.layout;
    // The whole image as one block: the same bounds check the ROI measurements make.
    requireBlockInside({0, 0, layout.rows, layout.columns}, layout, image.bytes.size());
    out.spacing = requirePixelSpacing(
        image.spacingText.empty() ? 0.0L : StrToFloat(image.spacingText), spacingSource);
    out.columns = layout.columns;
    out.rows = layout.rows;
    // Every element read is written below: no need to clear what a slice before left.
    out.values.resize(static_cast<std::size_t>(layout.columns) *
                      static_cast<std::size_t>(layout.rows));
    const tasks::PixelRegion all{0, 0, layout.columns, layout.rows};
    const bool inside = only && only->x >= 0 && only->y >= 0 && only->width >= 0 &&
                        only->height >= 0 && only->x <= layout.columns - only->width &&
                        only->y <= layout.rows - only->height;
    const tasks::PixelRegion& read = inside ? *only : all;
    const SampleValueRule rule = image.valueRule();
    const bool plainWords = rule.format == SampleFormat::Word16 && !rule.swap &&
                            std::endian::native == std::endian::little;
    const std::size_t bytes = static_cast<std::size_t>(sampleBytes(layout.format));
    for (std::int32_t r = read.y; r < read.y + read.height; ++r) {
        double* values = out.values.data() + static_cast<std::size_t>(r) * layout.columns + read.x;
        const std::uint8_t* row = image.bytes.data() + sampleOffset(layout, r, read.x);
        if (plainWords) {
            plainWordValues(row, read.width, static_cast<std::uint16_t>(rule.offset), values);
            continue;
        }
        for (std::int32_t c = 0; c < read.width; ++c) values[c] = rule.value(row + c * bytes);
    }
}

}  // namespace ctiq::cli
