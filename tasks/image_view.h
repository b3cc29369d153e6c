#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ctiq::tasks {

// One slice as the metrics read it: values in HU, row by row from the top, column c of row r at
// samples[r * columns + c]. Pixel (c, r) has its centre at the coordinates (c, r), as the
// phantoms of ctiq-cli place theirs (an image's centre is (columns / 2, rows / 2)).
struct ImageView {
    std::span<const double> samples;
    std::int32_t columns = 0, rows = 0;
    double spacingX = 0, spacingY = 0;  // mm

    double at(std::int32_t c, std::int32_t r) const {
        return samples[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
                       static_cast<std::size_t>(c)];
    }
};

// Refuses (AppError) a view whose samples do not fill columns × rows or whose spacing is not a
// positive, finite number of millimetres. `number` (from 1) names the image in the message.
void requireValidImage(const ImageView& image, std::size_t number);

// Refuses an ensemble whose slices differ in size or spacing: their spectra or edges would be
// averaged on different frequency or distance scales.
void requireSameGeometry(std::span<const ImageView> images);

// The same for one more slice, image number `number` (from 1), against the first.
void requireSameGeometryAs(const ImageView& first, const ImageView& image, std::size_t number);

}  // namespace ctiq::tasks
