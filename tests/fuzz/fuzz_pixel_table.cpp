// The MTF window's readers over an arbitrary text table: maximum, statistics, copies,
// histogram, LSF, background cut, half width, DFT and memos.
#include <cstddef>
#include <cstdint>

#include "common/app_error.h"
#include "mtf/lsf.h"
#include "mtf/table_analysis.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ctiq;
    fuzz::Input in(data, size);
    const auto lines = in.take<std::int8_t>();
    const auto bumps = in.take<std::int8_t>();
    const auto bits = in.take<std::int8_t>();
    const auto step = in.take<std::int8_t>();
    const auto flags = in.take<std::uint8_t>();
    const std::string text = in.rest();

    // Rows split at new lines, cells at tabs, behind a label row and column.
    std::vector<std::vector<std::string>> rows(1);
    for (char c : text) {
        if (c == '\n') {
            rows.emplace_back();
        } else if (c == '\t' || rows.back().empty()) {
            rows.back().emplace_back(c == '\t' ? "" : std::string(1, c));
        } else {
            rows.back().back() += c;
        }
    }
    std::size_t columns = 1;
    for (const auto& r : rows) columns = std::max(columns, r.size());
    if (rows.size() > 300 || columns > 300) return 0;
    PixelTable table(static_cast<std::int32_t>(columns) + 1,
                     static_cast<std::int32_t>(rows.size()) + 1);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            table.setText(static_cast<std::int32_t>(c) + 1, static_cast<std::int32_t>(r) + 1,
                          rows[r][c]);

    const CellRect all{1, 1, table.colCount() - 1, table.rowCount() - 1};
    auto attempt = [](auto&& f) {
        try {
            f();
        } catch (const AppError&) {
        }
    };
    attempt([&] { (void)selectionText(table, all); });
    attempt([&] { (void)selectionLinesText(table, {0, 0, 2, 2}); });
    attempt([&] { (void)wholeTableText(table, step, flags & 1); });
    attempt([&] { (void)cellStatistics(table, all); });
    attempt([&] { (void)histogramText(table, bits); });
    attempt([&] {
        const CellPosition maximum = tableMaximum(table);
        const MtfResult r = computeMtf(table, flags & 2 ? LsfDirection::Y : LsfDirection::X,
                                       maximum, lines, bumps, 0.5);
        (void)lsfMemoText("f", r.lsf, 0.5);
        (void)mtfMemoText("f", r.mtfAbs, 0.5);
    });
    return 0;
}
