#include "viewer/trimming.h"

#include <algorithm>
#include <filesystem>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/paths.h"

namespace ctiq {

std::string trimmedFileName(std::string_view chosenPath, std::int32_t columns, std::int32_t rows,
                            std::string_view spacingText) {
    // The name is cut at its own first ".", never at one in a folder's name.
    const std::size_t nameStart = chosenPath.find_last_of("/\\") + 1;  // 0 without a folder
    const std::string base(chosenPath.substr(0, chosenPath.find('.', nameStart)));
    std::string spacing(spacingText);
    if (const std::size_t dot = spacing.find('.'); dot != std::string::npos) spacing[dot] = 'p';
    return base + " " + IntToStr(columns) + " " + IntToStr(rows) + " " + spacing + ".bin";
}

std::vector<std::uint8_t> trimmedSamples(const std::uint8_t* data, const StoredImageLayout& image,
                                         const RoiBlock& block) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(block.nc) * block.nr * 2);
    std::uint8_t* to = out.data();
    for (std::int32_t i = 0; i < block.nr; ++i) {
        const std::uint8_t* row = data + sampleOffset(image, std::int64_t{block.r0} + i, block.c0);
        if (image.format == SampleFormat::Word16) {
            std::copy_n(row, static_cast<std::size_t>(block.nc) * 2, to);
            to += static_cast<std::size_t>(block.nc) * 2;
        } else {
            for (std::int32_t j = 0; j < block.nc; ++j) {
                *to++ = row[j];
                *to++ = 0;
            }
        }
    }
    return out;
}

}  // namespace ctiq
