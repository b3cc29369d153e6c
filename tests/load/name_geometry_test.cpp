#include "load/name_geometry.h"

#include <gtest/gtest.h>

#include "common/app_error.h"

namespace ctiq {
namespace {

struct NameCase {
    const char* path;
    const char* columns;
    const char* rows;
    const char* spacing;
    const char* suggestion;
};

class SplitNameGeometryTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(SplitNameGeometryTest, ReadsTheGeometryParts) {
    const NameCase& c = GetParam();
    const NameGeometry g = splitNameGeometry(c.path);
    EXPECT_EQ(g.columns, c.columns);
    EXPECT_EQ(g.rows, c.rows);
    EXPECT_EQ(g.spacing, c.spacing);
    EXPECT_EQ(g.suggestion, c.suggestion);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitNameGeometryTest,
    ::testing::Values(NameCase{"/data/phantom 512 512 0p5.raw", "512", "512", "0.5", "0p5"},
                      NameCase{"C:\\CT\\phantom 64 32 0p468.bin", "64", "32", "0.468", "0p468"},
                      NameCase{"/data/CT 1 2.dcm", "1", "2", "", ""},
                      NameCase{"/data/abc def.dcm", "def", "", "", ""},
                      NameCase{"/data/img.raw", "", "", "", ""},
                      NameCase{"/data/a  7 8.raw", "", "7", "8", "8"},  // two blanks: an empty part
                      NameCase{"/data/x 3 4 1p5 more.raw", "3", "4", "1.5 more", "1p5 more"},
                      NameCase{"/data/v1.2/scan 16 16 0p5.raw", "16", "16", "0.5", "0p5"},
                      NameCase{"/data/scan 16 16 0p5p5", "16", "16", "0.5p5", "0p5p5"},
                      NameCase{"relative 8 9 2", "8", "9", "2", "2"}));

struct SizeCase {
    std::int64_t fileSize;
    int sampleBytes;
    const char* offered;
};

class SizeSuggestionTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeSuggestionTest, OffersASquareSize) {
    EXPECT_EQ(sizeSuggestion(GetParam().fileSize, GetParam().sampleBytes), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(Table, SizeSuggestionTest,
                         ::testing::Values(SizeCase{262144, 1, "512 512"},
                                           SizeCase{262144, 2, "512 512"},
                                           SizeCase{524288, 2, "512 512"}, SizeCase{0, 2, "0 0"},
                                           SizeCase{524288 + 1234, 2, "1024 1024"},
                                           SizeCase{100, 1, "10 10"}, SizeCase{50, 1, "64 64"},
                                           SizeCase{8130, 2, "128 128"},  // R = 64 is not below 64
                                           SizeCase{131072 + 2, 2, "512 512"}));

TEST(ParseSizeAnswer, SquareOrColumnsAndRows) {
    EXPECT_EQ(parseSizeAnswer("256").columns, 256);
    EXPECT_EQ(parseSizeAnswer("256").rows, 256);
    EXPECT_EQ(parseSizeAnswer("512 256").columns, 512);
    EXPECT_EQ(parseSizeAnswer("512 256").rows, 256);
    for (const char* bad : {"", "512x256", "a b", "512 ", "512 256 1"})
        EXPECT_THROW(parseSizeAnswer(bad), AppError) << bad;
}

}  // namespace
}  // namespace ctiq
