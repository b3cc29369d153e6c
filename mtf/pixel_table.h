#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctiq {

// The MTF window's table of pixel values as text: column 0 and row 0 hold coordinate labels,
// cells (c, r) with c, r ≥ 1 hold the values. Every analysis converts the text when it reads it,
// except a cell set from an integer, which keeps that integer's value beside its text.
class PixelTable {
  public:
    PixelTable(std::int32_t columns = 257, std::int32_t rows = 257);

    std::int32_t colCount() const { return cols_; }
    std::int32_t rowCount() const { return rows_; }
    // Resizes, keeping the texts of cells that stay inside.
    void resize(std::int32_t columns, std::int32_t rows);

    // Cell text; a cell outside the table is an error (AppError).
    const std::string& text(std::int32_t column, std::int32_t row) const;
    void setText(std::int32_t column, std::int32_t row, std::string text);
    // The integer's text (IntToStr), its value kept: the value its text reads as.
    void setInteger(std::int32_t column, std::int32_t row, std::int32_t value);
    // The cell read as a real or an integer (the "not a number" errors for other texts).
    double value(std::int32_t column, std::int32_t row) const;
    std::int32_t integer(std::int32_t column, std::int32_t row) const;

  private:
    void require(std::int32_t column, std::int32_t row) const;

    std::int32_t cols_;
    std::int32_t rows_;
    std::vector<std::string> cells_;
    std::vector<double> values_;       // of the cells set by setInteger
    std::vector<std::uint8_t> known_;  // 1 where values_ holds the cell's value
};

struct CellPosition {
    std::int32_t column = 0;
    std::int32_t row = 0;
};

// A rectangle of cells, both ends included.
struct CellRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const CellRect&) const = default;
};

}  // namespace ctiq
