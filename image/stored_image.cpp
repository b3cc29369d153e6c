#include "image/stored_image.h"

#include <string>

#include "common/app_error.h"

namespace ctiq {

void requireStoredImageInside(const StoredImageLayout& layout, std::size_t bufferSize) {
    const int b = sampleBytes(layout.format);
    const AppError geometry("header %1 + %2 × %3 × %4 bytes",
                            {std::to_string(layout.header), std::to_string(layout.columns),
                             std::to_string(layout.rows), std::to_string(b)});
    if (layout.header < 0 || layout.columns < 0 || layout.rows < 0)
        throw AppError("The image fields must not be negative: %1.", {geometry});
    // columns · rows · b is below 2^63, so unsigned 64-bit arithmetic cannot wrap here.
    const std::uint64_t imageBytes = static_cast<std::uint64_t>(layout.columns) *
                                     static_cast<std::uint64_t>(layout.rows) *
                                     static_cast<std::uint64_t>(b);
    const std::uint64_t header = static_cast<std::uint64_t>(layout.header);
    if (header > bufferSize || imageBytes > bufferSize - header) {
        throw AppError(
            "The image fields describe more image than the file holds: %1 do not fit "
            "in the file's %2 bytes.",
            {geometry, AppError(std::to_string(bufferSize))});
    }
}

}  // namespace ctiq
