#include "tasks/image_view.h"

#include <cmath>

#include "common/app_error.h"

namespace ctiq::tasks {

void requireValidImage(const ImageView& image, const std::string& what) {
    if (image.columns < 1 || image.rows < 1)
        throw AppError(what + " has no pixels (" + std::to_string(image.columns) + " x " +
                       std::to_string(image.rows) + ").");
    const auto expected =
        static_cast<std::size_t>(image.columns) * static_cast<std::size_t>(image.rows);
    if (image.samples.size() != expected)
        throw AppError(what + " holds " + std::to_string(image.samples.size()) +
                       " samples; its size " + std::to_string(image.columns) + " x " +
                       std::to_string(image.rows) + " needs " + std::to_string(expected) + ".");
    auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (!positive(image.spacingX) || !positive(image.spacingY))
        throw AppError(what + ": the pixel spacing must be a positive number of millimetres.");
}

void requireSameGeometry(std::span<const ImageView> images) {
    if (images.empty()) throw AppError("No image was given.");
    for (std::size_t i = 0; i < images.size(); ++i)
        requireValidImage(images[i], "Image " + std::to_string(i + 1));
    for (std::size_t i = 1; i < images.size(); ++i)
        requireSameGeometryAs(images.front(), images[i], i + 1);
}

void requireSameGeometryAs(const ImageView& first, const ImageView& im, std::size_t number) {
    if (im.columns != first.columns || im.rows != first.rows)
        throw AppError("Image " + std::to_string(number) + " is " + std::to_string(im.columns) +
                       " x " + std::to_string(im.rows) + " pixels, image 1 is " +
                       std::to_string(first.columns) + " x " + std::to_string(first.rows) +
                       "; one ensemble needs one size.");
    if (im.spacingX != first.spacingX || im.spacingY != first.spacingY)
        throw AppError("Image " + std::to_string(number) +
                       " has another pixel spacing than image 1; one ensemble needs one "
                       "spacing.");
}

}  // namespace ctiq::tasks
