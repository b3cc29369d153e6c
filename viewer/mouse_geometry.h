#pragma once

#include <cstdint>
#include <optional>

#include "image/int_rect.h"

namespace ctiq {

// The geometry of the viewer's mouse tools. Mouse positions are in control pixels; `scale` is
// bitmap pixels per control pixel (the bitmap height over the 512-pixel-high control).

// What a left press with the ROI tool grabs of the frame (display-bitmap coordinates).
enum class RoiGrip { None, TopLeft, BottomRight, Move };

// Above-left of the frame grabs the top-left corner, below-right the bottom-right one, strictly
// inside it the whole frame — the last only when the mouse has moved since the last press.
RoiGrip roiGripAt(const IntRect& frame, int x, int y, double scale, bool movedSinceLastPress);

// The frame with the grabbed corner at the mouse.
IntRect dragRoiCorner(const IntRect& frame, RoiGrip corner, int x, int y, double scale);

// The frame of the same size centred on the mouse (an even side puts the extra sample left/up).
IntRect moveRoiTo(const IntRect& frame, int x, int y, double scale);

// The new shift fields after a pan by the mouse from (lastX, lastY) to (x, y); a field stays as it
// is (nullopt) where the view has no room to move that way.
struct PanShift {
    std::optional<std::int64_t> shiftX, shiftY;
};
PanShift panShift(std::int32_t shiftX, std::int32_t shiftY, int lastX, int lastY, int x, int y,
                  double scale, const IntRect& view, std::int32_t columns, std::int32_t rows);

// The window after a right-button drag: wider to the right, lower level downwards, in `step`s
// per control pixel. A width that would not stay positive keeps the old one.
struct WindowDrag {
    std::int32_t level = 0, width = 0;
};
WindowDrag dragWindow(std::int32_t level, std::int32_t width, int lastX, int lastY, int x, int y,
                      std::int32_t step);

}  // namespace ctiq
