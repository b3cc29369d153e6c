#include "mtf/table_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {
namespace {

// A table of `columns` × `rows` data cells (plus the label row and column) from row texts.
PixelTable table(const std::vector<std::vector<std::string>>& rows) {
    PixelTable t(static_cast<std::int32_t>(rows[0].size()) + 1,
                 static_cast<std::int32_t>(rows.size()) + 1);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            t.setText(static_cast<std::int32_t>(c) + 1, static_cast<std::int32_t>(r) + 1,
                      rows[r][c]);
    return t;
}

TEST(TableMaximum, FirstOfEqualMaximaWins) {
    EXPECT_EQ(tableMaximum(table({{"9", "1"}, {"1", "1"}})).column, 1);
    const CellPosition tie =
        tableMaximum(table({{"1", "2", "5"}, {"5", "5", "1"}, {"1", "5", "5"}}));
    EXPECT_EQ(tie.column, 3);
    EXPECT_EQ(tie.row, 1);
    const CellPosition row = tableMaximum(table({{"1", "2"}, {"7", "7"}}));
    EXPECT_EQ(row.column, 1);
    EXPECT_EQ(row.row, 2);
    EXPECT_THROW(tableMaximum(table({{"1", ""}})), AppError);
}

// A cell set from an integer holds its text and reads as the value that text reads as; a text set
// over it reads as the new text, and resizing keeps both where the cell stays.
TEST(PixelTable, IntegerCellsReadAsTheirText) {
    PixelTable t(3, 3);
    for (const std::int32_t v : {0, -1024, 32767, -32768, 123456789}) {
        t.setInteger(1, 1, v);
        EXPECT_EQ(t.text(1, 1), std::to_string(v));
        EXPECT_EQ(t.value(1, 1), static_cast<double>(StrToFloat(t.text(1, 1))));
    }
    t.setText(1, 1, "2.5");
    EXPECT_EQ(t.value(1, 1), 2.5);
    t.setInteger(2, 2, -7);
    t.resize(4, 3);
    EXPECT_EQ(t.value(2, 2), -7);
    EXPECT_EQ(t.text(2, 2), "-7");
    t.setText(2, 2, "x");
    EXPECT_THROW(t.value(2, 2), AppError);
    EXPECT_THROW(t.setInteger(4, 0, 1), AppError);
}

TEST(CellStatistics, PopulationSdAndMaximumPosition) {
    const PixelTable t = table({{"0", "2"}, {"4", "6"}});
    const CellStatistics s = cellStatistics(t, {1, 1, 2, 2});
    EXPECT_EQ(s.mean, 3);
    EXPECT_DOUBLE_EQ(s.sd, std::sqrt(5.0));
    EXPECT_EQ(s.max, 6);
    EXPECT_EQ(s.min, 0);
    EXPECT_EQ(s.maxAt.column, 2);
    EXPECT_EQ(s.maxAt.row, 2);
    const CellStatistics one = cellStatistics(t, {2, 1, 2, 1});
    EXPECT_EQ(one.mean, 2);
    EXPECT_EQ(one.sd, 0);
    EXPECT_EQ(one.maxAt.row, 1);
}

TEST(SelectionTexts, RowsWithTabsOrOneValuePerLine) {
    const PixelTable t = table({{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
    EXPECT_EQ(selectionText(t, {1, 1, 2, 3}), "1\t2\r\n4\t5\r\n7\t8\r\n");
    EXPECT_EQ(selectionLinesText(t, {1, 1, 2, 3}), "1\r\n2\r\n4\r\n5\r\n7\r\n8\r\n");
    EXPECT_EQ(selectionText(t, {2, 2, 2, 2}), "5\r\n");
    EXPECT_EQ(selectionText(PixelTable(3, 3), {0, 0, 0, 0}), "\r\n");
    EXPECT_THROW(selectionText(t, {1, 1, 9, 9}), AppError);
}

TEST(WholeTableText, StepAndSwap) {
    std::vector<std::vector<std::string>> rows(5);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) rows[r].push_back(std::to_string(10 * (r + 1) + c + 1));
    const PixelTable t = table(rows);
    EXPECT_EQ(wholeTableText(t, 2, false), "11\t13\t15\r\n31\t33\t35\r\n51\t53\t55\r\n");
    EXPECT_EQ(wholeTableText(t, -2, false), wholeTableText(t, 2, false));
    EXPECT_THROW(wholeTableText(t, 0, false), AppError);
    const PixelTable wide = table({{"1", "2", "3"}, {"4", "5", "6"}});
    EXPECT_EQ(wholeTableText(wide, 0, true), "1\t4\r\n2\t5\r\n3\t6\r\n");
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

TEST(HistogramText, TenBitBinsOfEight) {
    // Column 1 is not counted; columns 2 and 3 hold 0, 7, 8 and -7.
    const auto h = lines(histogramText(table({{"999", "0", "7"}, {"999", "8", "-7"}}), 10));
    ASSERT_EQ(h.size(), 128u);
    EXPECT_EQ(h[0], "0.75");
    EXPECT_EQ(h[1], "0.25");
    EXPECT_EQ(h[2], "0");
}

TEST(HistogramText, OutOfRangeValuesCountInTheEndBinsAndAllEqualGivesOne) {
    const auto h = lines(histogramText(table({{"0", "5000", "-100"}}), 10));
    EXPECT_EQ(h[0], "0.5");
    EXPECT_EQ(h[127], "0.5");
    const auto equal = lines(histogramText(table({{"3", "3"}, {"3", "3"}}), 12));
    EXPECT_EQ(equal[0], "1");
    EXPECT_EQ(std::count(equal.begin(), equal.end(), "0"), 127);
}

TEST(HistogramText, Errors) {
    EXPECT_THROW(histogramText(table({{"1", "2"}}), 6), AppError);     // bin width 0
    EXPECT_THROW(histogramText(table({{"1", "2.5"}}), 10), AppError);  // not an integer
}

}  // namespace
}  // namespace ctiq
