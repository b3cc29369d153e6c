#pragma once

#include <cstddef>
#include <cstdint>

#include "image/int_rect.h"
#include "image/stored_image.h"
#include "viewer/display_bitmap.h"

namespace ctiq {

// The part of the stored image a rendering shows, and the bitmap that shows it.
struct ViewLayout {
    IntRect view;  // first and last stored column and row shown
    bool wide = false;
    std::int32_t bitmapWidth = 0;
    std::int32_t bitmapHeight = 0;
};

// The view for magnification m, C columns, R rows and shift (sx, sy): centred, C/m by R/m samples
// (R/m square when wide), a positive X shift moving the view left and a positive Y shift down.
ViewLayout computeView(double m, std::int32_t columns, std::int32_t rows, std::int32_t shiftX,
                       std::int32_t shiftY);

// Rejects a bitmap too large to allocate or with a negative side (a magnification that is not
// positive, or far below 1).
void requireDrawableBitmap(const ViewLayout& layout);

// Refuses a view that shows no whole sample (a magnification above the image's row count): the
// display would be an empty black square without a word of why.
void requireSamplesShown(const ViewLayout& layout, double magnification, std::int32_t rows);

struct GreyWindow {
    std::int32_t level = 0;
    std::int32_t width = 0;
    bool operator==(const GreyWindow&) const = default;
};

struct PaintOptions {
    SampleFormat format = SampleFormat::Word16;
    bool swap = false;
    bool invert = false;
    std::int32_t offset = 0;
};

// Paints the view of the stored image into `bitmap` (already sized to the layout) through the
// grey window: level maps to 128, 256/width grey steps per sample unit, clamped to 0..255. Pixels
// that no stored sample reaches stay black. The stored image must lie inside `data`.
void paintView(const std::uint8_t* data, std::size_t size, const StoredImageLayout& image,
               const ViewLayout& layout, GreyWindow window, const PaintOptions& options,
               DisplayBitmap& bitmap);

// The image control's width and left edge in a 512-pixel-high area, aspect kept.
struct ControlGeometry {
    std::int32_t width = 0;
    std::int32_t left = 0;
};
ControlGeometry imageControlGeometry(std::int32_t columns, std::int32_t rows, bool wide);

// The ROI from its centre and size fields, in stored-image coordinates.
IntRect roiFromFields(std::int32_t posX, std::int32_t sizeX, std::int32_t posY, std::int32_t sizeY);

// Moves a rectangle by (-dx, -dy): stored-image to display-bitmap coordinates.
IntRect toBitmapCoordinates(const IntRect& roi, std::int32_t viewLeft, std::int32_t viewTop);

// Draws the ROI frame by inversion (drawing it twice restores the bitmap): one dotted outline
// just outside the ROI, or n inside and n outside when the bitmap is n ≥ 2 times 512 high.
void drawRoiFrame(DisplayBitmap& bitmap, const IntRect& frame);

// One dotted focus rectangle (edges x0, x1 - 1, y0, y1 - 1), every other pixel inverted.
void invertFocusRect(DisplayBitmap& bitmap, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                     std::int64_t y1);

}  // namespace ctiq
