#include "viewer/mouse_geometry.h"

#include "common/checked.h"
#include "common/rounding.h"

namespace ctiq {

RoiGrip roiGripAt(const IntRect& f, int x, int y, double scale, bool movedSinceLastPress) {
    const double bx = x * scale, by = y * scale;
    if (bx < f.left && by < f.top) return RoiGrip::TopLeft;
    if (bx > f.right && by > f.bottom) return RoiGrip::BottomRight;
    if (f.left < bx && bx < f.right && f.top < by && by < f.bottom && movedSinceLastPress)
        return RoiGrip::Move;
    return RoiGrip::None;
}

IntRect dragRoiCorner(const IntRect& frame, RoiGrip corner, int x, int y, double scale) {
    IntRect f = frame;
    if (corner == RoiGrip::TopLeft) {
        f.left = toInt32(Trunc(x * scale));
        f.top = toInt32(Trunc(y * scale));
    } else if (corner == RoiGrip::BottomRight) {
        f.right = toInt32(Trunc(x * scale));
        f.bottom = toInt32(Trunc(y * scale));
    }
    return f;
}

IntRect moveRoiTo(const IntRect& frame, int x, int y, double scale) {
    IntRect f;
    const std::int32_t w = checkedAdd(checkedSub(frame.right, frame.left), 1);
    const std::int32_t hw = w / 2, ew = w % 2 == 0 ? 1 : 0;
    f.left = toInt32(Trunc(x * scale - hw));
    f.right = toInt32(Trunc(x * scale + hw - ew));
    const std::int32_t h = checkedAdd(checkedSub(frame.bottom, frame.top), 1);
    const std::int32_t hh = h / 2, eh = h % 2 == 0 ? 1 : 0;
    f.top = toInt32(Trunc(y * scale - hh));
    f.bottom = toInt32(Trunc(y * scale + hh - eh));
    return f;
}

PanShift panShift(std::int32_t shiftX, std::int32_t shiftY, int lastX, int lastY, int x, int y,
                  double scale, const IntRect& view, std::int32_t columns, std::int32_t rows) {
    PanShift p;
    const std::int64_t dx = Trunc((x - lastX) * scale);
    if ((dx < 0 && -dx < std::int64_t{columns} - view.right) || (dx > 0 && dx < view.left))
        p.shiftX = Trunc(shiftX + (x - lastX) * scale);
    const std::int64_t dy = Trunc((lastY - y) * scale);
    if ((dy > 0 && dy < std::int64_t{rows} - view.bottom) || (dy < 0 && -dy < view.top))
        p.shiftY = Trunc(shiftY + (lastY - y) * scale);
    return p;
}

WindowDrag dragWindow(std::int32_t level, std::int32_t width, int lastX, int lastY, int x, int y,
                      std::int32_t step) {
    WindowDrag w{level, width};
    const std::int32_t widened = checkedAdd(width, checkedMul(checkedSub(x, lastX), step));
    if (widened > 0) w.width = widened;
    w.level = checkedSub(level, checkedMul(checkedSub(y, lastY), step));
    return w;
}

}  // namespace ctiq
