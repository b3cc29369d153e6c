#include "cli/task_images.h"

#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "image/roi_block.h"

namespace ctiq::cli {

TaskImage taskImageOf(const LoadedImage& image, const std::string& spacingSource) {
    const StoredImageLayout& layout = image.layout;
    // The whole image as one block: the same bounds check the ROI measurements make.
    requireBlockInside({0, 0, layout.rows, layout.columns}, layout, image.bytes.size());
    TaskImage out;
    out.spacing = requirePixelSpacing(
        image.spacingText.empty() ? 0.0L : StrToFloat(image.spacingText), spacingSource);
    out.columns = layout.columns;
    out.rows = layout.rows;
    out.values.resize(static_cast<std::size_t>(layout.columns) *
                      static_cast<std::size_t>(layout.rows));
    const SampleValueRule rule = image.valueRule();
    const std::size_t bytes = static_cast<std::size_t>(sampleBytes(layout.format));
    std::size_t i = 0;
    for (std::int32_t r = 0; r < layout.rows; ++r) {
        const std::uint8_t* row = image.bytes.data() + sampleOffset(layout, r, 0);
        for (std::int32_t c = 0; c < layout.columns; ++c)
            out.values[i++] = rule.value(row + c * bytes);
    }
    return out;
}

}  // namespace ctiq::cli
