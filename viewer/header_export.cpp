#include "viewer/header_export.h"

#include <algorithm>
#include <cstdlib>

namespace ctiq {
namespace {

bool isLeftOut(const std::string& group) {
    if (group.empty()) return false;
    if (group[0] == 'F') return true;
    char* end = nullptr;
    const long value = std::strtol(group.c_str(), &end, 16);
    return end != group.c_str() && (value % 2) != 0;
}

}  // namespace

std::string headerTableText(const HeaderRow& titles, const std::vector<HeaderRow>& rows) {
    std::string text;
    for (int c = 0; c < 7; ++c) text += (c ? "\t" : "") + titles[c];
    text += "\r\n";
    for (const HeaderRow& row : rows) {
        if (isLeftOut(row[1])) continue;
        for (int c = 0; c < 6; ++c) text += row[c] + "\t";
        std::string value = row[6];
        value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
        // Binary values hold tab and line-break bytes that would split the row.
        std::replace_if(
            value.begin(), value.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; },
            ' ');
        text += value + "\r\n";
    }
    return text;
}

}  // namespace ctiq
