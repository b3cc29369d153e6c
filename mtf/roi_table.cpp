#include "mtf/roi_table.h"

#include "common/number_text.h"

namespace ctiq {

PixelTable roiPixelTable(const std::uint8_t* data, const StoredImageLayout& image,
                         const RoiBlock& block, const IntRect& frame, const SampleValueRule& rule) {
    PixelTable table(block.nc + 1, block.nr + 1);
    for (std::int32_t j = 0; j < block.nc; ++j)
        table.setText(j + 1, 0, IntToStr(std::int64_t{frame.left} + j));
    for (std::int32_t i = 0; i < block.nr; ++i)
        table.setText(0, i + 1, IntToStr(std::int64_t{frame.top} + i));
    const std::size_t b = static_cast<std::size_t>(sampleBytes(image.format));
    for (std::int32_t i = 0; i < block.nr; ++i) {
        const std::uint8_t* row = data + sampleOffset(image, std::int64_t{block.r0} + i, block.c0);
        for (std::int32_t j = 0; j < block.nc; ++j)
            table.setInteger(j + 1, i + 1, rule.value(row + j * b));
    }
    return table;
}

}  // namespace ctiq
