#include "viewer/header_export.h"

#include <gtest/gtest.h>

namespace ctiq {
namespace {

TEST(HeaderTableText, EvenGroupsWithSevenColumnsAndCrLf) {
    const std::vector<HeaderRow> rows = {
        {"  1", "0002", "0002", "UI", "001A", "MediaStorageSOPClassUID", "1.2.3"},
        {"  2", "0009", "1001", "LO", "0004", "FullFidelity", "GE"},
        {"", "0008", "1140", "SQ", "", "", ""},
        {"  4", "FFFE", "E000", "", "0010", "", "item"},
        {"  5", "0010", "0010", "PN", "0008", "PatientsName", std::string("A^B\0\0", 5)},
        {"", "", "", "SQ", "", "", ""},
        {"  7", "0043", "106F", "DS", "0002", "ScannerTableEntry", "1"},
        {"  8", "7FE0", "0010", "OW", "0000", "", "\x01\t\r\n\x02"}};
    EXPECT_EQ(headerTableText(kHeaderTableTitles, rows),
              " No\tGroup\tErement\tVR\tCHR#\tName\tValue\r\n"
              "  1\t0002\t0002\tUI\t001A\tMediaStorageSOPClassUID\t1.2.3\r\n"
              "\t0008\t1140\tSQ\t\t\t\r\n"
              "  5\t0010\t0010\tPN\t0008\tPatientsName\tA^B\r\n"
              "\t\t\tSQ\t\t\t\r\n"
              "  8\t7FE0\t0010\tOW\t0000\t\t\x01   \x02\r\n");
}

TEST(HeaderTableText, EmptyTableIsTheTitleLine) {
    EXPECT_EQ(headerTableText(kHeaderTableTitles, {}),
              " No\tGroup\tErement\tVR\tCHR#\tName\tValue\r\n");
}

}  // namespace
}  // namespace ctiq
