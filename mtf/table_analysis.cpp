#include "mtf/table_analysis.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/number_text.h"
#include "common/rounding.h"

namespace ctiq {

CellPosition tableMaximum(const PixelTable& table) {
    CellPosition at{1, 1};
    double best = table.value(1, 1);
    for (std::int32_t r = 1; r < table.rowCount(); ++r) {
        for (std::int32_t c = 1; c < table.colCount(); ++c) {
            const double v = table.value(c, r);
            if (v > best) {
                best = v;
                at = {c, r};
            }
        }
    }
    return at;
}

CellStatistics cellStatistics(const PixelTable& table, const CellRect& b) {
    double sum = 0;
    std::int64_t n = 0;
    for (std::int32_t r = b.top; r <= b.bottom; ++r)
        for (std::int32_t c = b.left; c <= b.right; ++c, ++n) sum += table.value(c, r);
    CellStatistics s;
    s.mean = static_cast<double>(checkedDivide(sum, static_cast<long double>(n)));
    s.max = s.min = table.value(b.left, b.top);
    s.maxAt = {b.left, b.top};
    double squares = 0;
    for (std::int32_t r = b.top; r <= b.bottom; ++r) {
        for (std::int32_t c = b.left; c <= b.right; ++c) {
            const double v = table.value(c, r);
            if (v > s.max) {
                s.max = v;
                s.maxAt = {c, r};
            }
            if (v < s.min) s.min = v;
            const double d = v - s.mean;
            squares += d * d;
        }
    }
    s.sd = std::sqrt(squares / static_cast<double>(n));
    return s;
}

std::string selectionText(const PixelTable& table, const CellRect& b) {
    std::string text;
    for (std::int32_t r = b.top; r <= b.bottom; ++r) {
        text += table.text(b.left, r);
        for (std::int32_t c = b.left + 1; c <= b.right; ++c) text += "\t" + table.text(c, r);
        text += "\r\n";
    }
    return text;
}

std::string selectionLinesText(const PixelTable& table, const CellRect& b) {
    std::string text;
    for (std::int32_t r = b.top; r <= b.bottom; ++r)
        for (std::int32_t c = b.left; c <= b.right; ++c) text += table.text(c, r) + "\r\n";
    return text;
}

std::string wholeTableText(const PixelTable& table, std::int32_t step, bool swapRowsAndColumns) {
    const std::int32_t columns = table.colCount() - 1, rows = table.rowCount() - 1;
    std::string text;
    if (!swapRowsAndColumns) {
        if (step == 0) throw AppError(messages::integerDivisionByZero());
        for (std::int32_t r = 1; r <= rows; ++r) {
            if ((r - 1) % step != 0) continue;
            text += table.text(1, r);
            for (std::int32_t c = 2; c <= columns; ++c)
                if ((c - 1) % step == 0) text += "\t" + table.text(c, r);
            text += "\r\n";
        }
    } else {
        for (std::int32_t c = 1; c <= columns; ++c) {
            text += table.text(c, 1);
            for (std::int32_t r = 2; r <= rows; ++r) text += "\t" + table.text(c, r);
            text += "\r\n";
        }
    }
    return text;
}

std::string histogramText(const PixelTable& table, long double bits) {
    const std::int64_t width = roundHalfEven(std::pow(2.0L, bits) / 128);
    const std::int32_t columns = table.colCount() - 1, rows = table.rowCount() - 1;
    std::array<std::int64_t, 128> counts{};
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t c = 2; c <= columns; ++c) {
            const std::int64_t bin = checkedDiv(std::int64_t{table.integer(c, r)}, width);
            ++counts[static_cast<std::size_t>(std::clamp<std::int64_t>(bin, 0, 127))];
        }
    }
    const long double pixels = static_cast<long double>(rows) * (columns - 1);
    std::string text;
    for (std::int64_t count : counts)
        text += FloatToStr(checkedDivide(static_cast<long double>(count), pixels)) + "\r\n";
    return text;
}

}  // namespace ctiq
