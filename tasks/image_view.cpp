#include "tasks/image_view.h"

#include <cmath>

#include "common/app_error.h"

namespace ctiq::tasks {

void requireValidImage(const ImageView& image, std::size_t number) {
    const std::string n = std::to_string(number);
    if (image.columns < 1 || image.rows < 1)
        throw AppError("Image %1 has no pixels (%2 x %3).",
                       {n, std::to_string(image.columns), std::to_string(image.rows)});
    const auto expected =
        static_cast<std::size_t>(image.columns) * static_cast<std::size_t>(image.rows);
    if (image.samples.size() != expected)
        throw AppError("Image %1 holds %2 samples; its size %3 x %4 needs %5.",
                       {n, std::to_string(image.samples.size()), std::to_string(image.columns),
                        std::to_string(image.rows), std::to_string(expected)});
    auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (!positive(image.spacingX) || !positive(image.spacingY))
        throw AppError("Image %1: the pixel spacing must be a positive number of millimetres.",
                       {n});
}

void requireSameGeometry(std::span<const ImageView> images) {
    if (images.empty()) throw AppError("No image was given.");
    for (std::size_t i = 0; i < images.size(); ++i) requireValidImage(images[i], i + 1);
    for (std::size_t i = 1; i < images.size(); ++i)
        requireSameGeometryAs(images.front(), images[i], i + 1);
}

void requireSameGeometryAs(const ImageView& first, const ImageView& im, std::size_t number) {
    if (im.columns != first.columns || im.rows != first.rows)
        throw AppError(
            "Image %1 is %2 x %3 pixels, image 1 is %4 x %5; one ensemble needs one size.",
            {std::to_string(number), std::to_string(im.columns), std::to_string(im.rows),
             std::to_string(first.columns), std::to_string(first.rows)});
    if (im.spacingX != first.spacingX || im.spacingY != first.spacingY)
        throw AppError(
            "Image %1 has another pixel spacing than image 1; one ensemble needs one spacing.",
            {std::to_string(number)});
}

}  // namespace ctiq::tasks
