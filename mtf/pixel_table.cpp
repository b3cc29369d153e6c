#include "mtf/pixel_table.h"

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {

PixelTable::PixelTable(std::int32_t columns, std::int32_t rows) {
    resize(columns, rows);
}

void PixelTable::resize(std::int32_t columns, std::int32_t rows) {
    if (columns < 1 || rows < 1) throw AppError("A pixel table needs at least one row and column.");
    std::vector<std::string> cells(static_cast<std::size_t>(columns) * rows);
    if (!cells_.empty()) {
        for (std::int32_t r = 0; r < std::min(rows, rows_); ++r)
            for (std::int32_t c = 0; c < std::min(columns, cols_); ++c)
                cells[static_cast<std::size_t>(r) * columns + c] =
                    std::move(cells_[static_cast<std::size_t>(r) * cols_ + c]);
    }
    cols_ = columns;
    rows_ = rows;
    cells_ = std::move(cells);
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
    cells_[static_cast<std::size_t>(row) * cols_ + column] = std::move(text);
}

double PixelTable::value(std::int32_t column, std::int32_t row) const {
    return static_cast<double>(StrToFloat(text(column, row)));
}

std::int32_t PixelTable::integer(std::int32_t column, std::int32_t row) const {
    return StrToInt(text(column, row));
}

}  // namespace ctiq
