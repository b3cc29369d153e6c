#pragma once

#include <string>

#include "mtf/pixel_table.h"

namespace ctiq {

// Position of the largest value of the data cells, rows top to bottom, columns left to right;
// the first of equal values wins.
CellPosition tableMaximum(const PixelTable& table);

// Statistics of a block of cells (population SD), and where its maximum lies.
struct CellStatistics {
    double mean = 0;
    double sd = 0;
    double max = 0;
    double min = 0;
    CellPosition maxAt;
};
CellStatistics cellStatistics(const PixelTable& table, const CellRect& block);

// "Slctd": the block as rows of TAB-separated cells; "LnSlctd": one cell per line.
std::string selectionText(const PixelTable& table, const CellRect& block);
std::string selectionLinesText(const PixelTable& table, const CellRect& block);

// "All": the data cells, every `step`-th row and column (step 0 is a division by zero), or with
// `swapRowsAndColumns` one line per column (the step then does not apply).
std::string wholeTableText(const PixelTable& table, std::int32_t step, bool swapRowsAndColumns);

// The histogram of the data cells of columns 2 .. C in 128 bins of 2^bits / 128 grey levels:
// relative frequencies, one per line. Values whose bin lies outside 0 .. 127 count in the
// nearest end bin, so the frequencies always sum to 1.
std::string histogramText(const PixelTable& table, long double bits);

}  // namespace ctiq
