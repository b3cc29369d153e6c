#include "mtf/pixel_table.h"

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {

PixelTable::PixelTable(std::int32_t columns, std::int32_t rows) {
    resize(columns, rows);
}

void PixelTable::resize(std::int32_t columns, std::int32_t rows) {
    if (columns < 1 || rows < 1) throw AppError("A pixel table needs at least one row and column.");
    const std::size_t size = static_cast<std::size_t>(columns) * rows;
    std::vector<std::string> cells(size);
    std::vector<double> values(size, 0.0);
    std::vector<std::uint8_t> known(size, 0);
    if (!cells_.empty()) {
        for (std::int32_t r = 0; r < std::min(rows, rows_); ++r)
            for (std::int32_t c = 0; c < std::min(columns, cols_); ++c) {
                const std::size_t to = static_cast<std::size_t>(r) * columns + c;
                const std::size_t from = static_cast<std::size_t>(r) * cols_ + c;
                cells[to] = std::move(cells_[from]);
                values[to] = values_[from];
                known[to] = known_[from];
            }
    }
    cols_ = columns;
    rows_ = rows;
    cells_ = std::move(cells);
    values_ = std::move(values);
    known_ = std::move(known);
}

void PixelTable::require(std::int32_t column, std::int32_t row) const {
    if (column < 0 || row < 0 || column >= cols_ || row >= rows_) {
        throw AppError("Cell (%1, %2) lies outside the pixel table (%3 columns, %4 rows).",
                       {std::to_string(column), std::to_string(row), std::to_string(cols_),
                        std::to_string(rows_)});
    }
}

const std::string& PixelTable::text(std::int32_t column, std::int32_t row) const {
    require(column, row);
    return cells_[static_cast<std::size_t>(row) * cols_ + column];
}

void PixelTable::setText(std::int32_t column, std::int32_t row, std::string text) {
    require(column, row);
    const std::size_t i = static_cast<std::size_t>(row) * cols_ + column;
    cells_[i] = std::move(text);
    known_[i] = 0;
}

void PixelTable::setInteger(std::int32_t column, std::int32_t row, std::int32_t value) {
    setText(column, row, IntToStr(value));
    // An integer's decimal text reads back as exactly that integer.
    const std::size_t i = static_cast<std::size_t>(row) * cols_ + column;
    values_[i] = value;
    known_[i] = 1;
}

double PixelTable::value(std::int32_t column, std::int32_t row) const {
    require(column, row);
    const std::size_t i = static_cast<std::size_t>(row) * cols_ + column;
    if (known_[i]) return values_[i];
    return static_cast<double>(StrToFloat(cells_[i]));
}

std::int32_t PixelTable::integer(std::int32_t column, std::int32_t row) const {
    return StrToInt(text(column, row));
}

}  // namespace ctiq
