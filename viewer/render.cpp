#include "viewer/render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/number_text.h"
#include "common/rounding.h"

namespace ctiq {
namespace {

std::int32_t trunc32(long double v) {
    return toInt32(Trunc(v));
}

// d · scale rounded to the nearest integer, ties to even, as if computed in extended precision.
// With |d| < 2^29 the product of d and a float (24-bit mantissa) is exact in double, so the much
// faster double rounding gives the same result.
std::int64_t roundedProduct(std::int64_t d, float scale) {
    if (d > -(std::int64_t{1} << 29) && d < (std::int64_t{1} << 29)) {
        const double x = static_cast<double>(d) * scale;
        if (x > 1e9) return 1000000000;  // far beyond the grey range either way
        if (x < -1e9) return -1000000000;
        return static_cast<std::int64_t>(std::nearbyint(x));
    }
    return static_cast<std::int64_t>(std::nearbyint(static_cast<long double>(d) * scale));
}

// Grey levels for every raw sample (byte or stored word), with the overflow cases of the window
// arithmetic marked so that only a sample actually shown can raise them.
struct GreyTable {
    std::vector<std::uint8_t> grey;
    std::vector<std::uint8_t> overflows;
    bool anyOverflow = false;
};

GreyTable buildGreyTable(GreyWindow window, const PaintOptions& options) {
    const float scale = static_cast<float>(checkedDivide(256, window.width));
    const std::size_t entries = options.format == SampleFormat::Byte8 ? 256 : 65536;
    GreyTable t;
    t.grey.resize(entries);
    t.overflows.assign(entries, 0);
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    for (std::size_t raw = 0; raw < entries; ++raw) {
        std::uint16_t v = static_cast<std::uint16_t>(raw);
        if (options.swap) v = SampleValueRule::exchangeBytes(v);
        const std::int64_t withOffset = static_cast<std::int16_t>(v) + std::int64_t{options.offset};
        const std::int64_t d = withOffset - window.level;
        if (withOffset < lo || withOffset > hi || d < lo || d > hi) {
            t.overflows[raw] = 1;
            t.anyOverflow = true;
            continue;
        }
        std::int64_t g = std::clamp<std::int64_t>(roundedProduct(d, scale) + 128, 0, 255);
        if (options.invert) g = 255 - g;
        t.grey[raw] = static_cast<std::uint8_t>(g);
    }
    return t;
}

template <bool CheckOverflow, int Bytes>
void paintRows(const std::uint8_t* first, std::size_t rowStride, std::int32_t rows,
               std::int32_t columns, const GreyTable& table, DisplayBitmap& bitmap) {
    const std::uint8_t* grey = table.grey.data();
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::uint8_t* src = first + static_cast<std::size_t>(y) * rowStride;
        std::uint8_t* dst = &bitmap.at(0, y);
        for (std::int32_t x = 0; x < columns; ++x) {
            std::size_t raw;
            if constexpr (Bytes == 1) {
                raw = src[x];
            } else {
                raw = static_cast<std::size_t>(src[2 * x]) |
                      (static_cast<std::size_t>(src[2 * x + 1]) << 8);
            }
            if constexpr (CheckOverflow) {
                if (table.overflows[raw]) throw AppError(messages::integerOverflow());
            }
            dst[x] = grey[raw];
        }
    }
}

}  // namespace

ViewLayout computeView(double m, std::int32_t columns, std::int32_t rows, std::int32_t shiftX,
                       std::int32_t shiftY) {
    const long double C = columns, R = rows;
    const long double cOverM = checkedDivide(C, m);
    const long double rOverM = checkedDivide(R, m);
    ViewLayout l;
    l.wide = C > rOverM;
    const long double shownColumns = l.wide ? rOverM : cOverM;
    l.view.left = trunc32((C - shownColumns) / 2);
    l.view.left = checkedSub(l.view.left, trunc32(static_cast<long double>(shiftX) * m));
    l.view.right = checkedSub(trunc32(shownColumns + l.view.left), 1);
    l.view.top = trunc32((R - rOverM) / 2);
    l.view.top = checkedAdd(l.view.top, trunc32(static_cast<long double>(shiftY) * m));
    l.view.bottom = checkedSub(trunc32(rOverM + l.view.top), 1);
    l.bitmapWidth = trunc32(shownColumns);
    l.bitmapHeight = trunc32(rOverM);
    return l;
}

void requireDrawableBitmap(const ViewLayout& layout) {
    constexpr std::int64_t kMaxSide = 65536;
    constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;
    const std::int64_t w = layout.bitmapWidth, h = layout.bitmapHeight;
    if (w < 0 || h < 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxPixels) {
        throw AppError(
            "The magnification gives a display of %1 × %2 pixels, which cannot be "
            "drawn; choose a magnification nearer 1.",
            {std::to_string(w), std::to_string(h)});
    }
}

void requireSamplesShown(const ViewLayout& layout, double magnification, std::int32_t rows) {
    if (layout.bitmapWidth >= 1 && layout.bitmapHeight >= 1) return;
    throw AppError(
        "At magnification %1 the view holds no whole sample of the image's %2 rows, so "
        "nothing would be shown; choose a magnification of at most %2.",
        {FloatToStr(magnification), std::to_string(rows)});
}

void paintView(const std::uint8_t* data, std::size_t size, const StoredImageLayout& image,
               const ViewLayout& layout, GreyWindow window, const PaintOptions& options,
               DisplayBitmap& bitmap) {
    requireStoredImageInside(image, size);
    const GreyTable table = buildGreyTable(window, options);

    // The painted block: the view clipped to the stored image and to the bitmap.
    const std::int32_t r0 = std::max(layout.view.top, 0);
    const std::int32_t c0 = std::max(layout.view.left, 0);
    const std::int64_t r1 = std::min<std::int64_t>(
        {layout.view.bottom, std::int64_t{image.rows} - 1, std::int64_t{r0} + bitmap.height - 1});
    const std::int64_t c1 = std::min<std::int64_t>(
        {layout.view.right, std::int64_t{image.columns} - 1, std::int64_t{c0} + bitmap.width - 1});
    if (r1 < r0 || c1 < c0) return;
    const auto rows = static_cast<std::int32_t>(r1 - r0 + 1);
    const auto columns = static_cast<std::int32_t>(c1 - c0 + 1);

    const int b = sampleBytes(image.format);
    const std::size_t rowStride = static_cast<std::size_t>(image.columns) * b;
    const std::uint8_t* first = data + static_cast<std::size_t>(image.header) +
                                static_cast<std::size_t>(r0) * rowStride +
                                static_cast<std::size_t>(c0) * b;
    if (b == 1) {
        table.anyOverflow ? paintRows<true, 1>(first, rowStride, rows, columns, table, bitmap)
                          : paintRows<false, 1>(first, rowStride, rows, columns, table, bitmap);
    } else {
        table.anyOverflow ? paintRows<true, 2>(first, rowStride, rows, columns, table, bitmap)
                          : paintRows<false, 2>(first, rowStride, rows, columns, table, bitmap);
    }
}

ControlGeometry imageControlGeometry(std::int32_t columns, std::int32_t rows, bool wide) {
    ControlGeometry g;
    g.width = wide ? 512 : trunc32(checkedDivide(checkedMul(columns, 512), rows));
    g.left = trunc32(static_cast<long double>(512 - std::int64_t{g.width}) / 2);
    return g;
}

IntRect roiFromFields(std::int32_t posX, std::int32_t sizeX, std::int32_t posY,
                      std::int32_t sizeY) {
    IntRect r;
    r.left = checkedSub(posX, checkedDiv(sizeX, 2));
    r.top = checkedSub(posY, checkedDiv(sizeY, 2));
    r.right = checkedSub(checkedAdd(sizeX, r.left), 1);
    r.bottom = checkedSub(checkedAdd(sizeY, r.top), 1);
    return r;
}

IntRect toBitmapCoordinates(const IntRect& roi, std::int32_t viewLeft, std::int32_t viewTop) {
    return {checkedSub(roi.left, viewLeft), checkedSub(roi.top, viewTop),
            checkedSub(roi.right, viewLeft), checkedSub(roi.bottom, viewTop)};
}

void invertFocusRect(DisplayBitmap& bitmap, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                     std::int64_t y1) {
    if (x1 <= x0 || y1 <= y0) return;
    const std::int64_t xl = x0, xr = x1 - 1, yt = y0, yb = y1 - 1;
    auto invert = [&](std::int64_t x, std::int64_t y) {
        if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return;
        if (((x + y) & 1) != 0) return;  // dotted: every other pixel
        std::uint8_t& p = bitmap.at(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
        // Half the grey scale away from what lies under it, so the frame shows on any grey
        // (255 - p vanished in mid-grey noise); applying it twice restores the pixel.
        p = static_cast<std::uint8_t>(p ^ 0x80);
    };
    const std::int64_t xFrom = std::max<std::int64_t>(xl, 0);
    const std::int64_t xTo = std::min<std::int64_t>(xr, std::int64_t{bitmap.width} - 1);
    for (std::int64_t x = xFrom; x <= xTo; ++x) {
        invert(x, yt);
        if (yb != yt) invert(x, yb);
    }
    const std::int64_t yFrom = std::max<std::int64_t>(yt + 1, 0);
    const std::int64_t yTo = std::min<std::int64_t>(yb - 1, std::int64_t{bitmap.height} - 1);
    for (std::int64_t y = yFrom; y <= yTo; ++y) {
        invert(xl, y);
        if (xr != xl) invert(xr, y);
    }
}

void drawRoiFrame(DisplayBitmap& bitmap, const IntRect& frame) {
    const std::int64_t n = bitmap.height / 512;
    auto rectAt = [&](std::int64_t k) {
        invertFocusRect(bitmap, std::int64_t{frame.left} - k, std::int64_t{frame.top} - k,
                        std::int64_t{frame.right} + k, std::int64_t{frame.bottom} + k);
    };
    if (n <= 1) {
        rectAt(1);
        return;
    }
    for (std::int64_t k = -n; k <= n; ++k)
        if (k != 0) rectAt(k);
}

}  // namespace ctiq
