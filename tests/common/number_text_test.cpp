#include "common/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/app_error.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

struct FloatText {
    long double value;
    const char* text;
};

class FloatToStrTest : public ::testing::TestWithParam<FloatText> {};

TEST_P(FloatToStrTest, WritesGeneralNumberText) {
    EXPECT_EQ(FloatToStr(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FloatToStrTest,
    ::testing::Values(FloatText{0, "0"}, FloatText{2, "2"}, FloatText{1.1L, "1.1"},
                      FloatText{0.1 + 0.2, "0.3"}, FloatText{1.0L / 3, "0.333333333333333"},
                      FloatText{1e-5L, "0.00001"}, FloatText{1e-6L, "1E-6"},
                      FloatText{1.5e20L, "1.5E20"},
                      FloatText{123456789012345.0L, "123456789012345"}, FloatText{1e15L, "1E15"},
                      FloatText{-0.0312L, "-0.0312"}, FloatText{-1024, "-1024"},
                      FloatText{-0.0L, "0"}, FloatText{0.9999999999999999L, "1"},
                      FloatText{1.0L + 0.1L, "1.1"}, FloatText{2.5e-7L, "2.5E-7"},
                      FloatText{1234.5L, "1234.5"}));

struct FixedText {
    long double value;
    int decimals;
    const char* text;
};

class FloatToStrFTest : public ::testing::TestWithParam<FixedText> {};

TEST_P(FloatToStrFTest, WritesGroupedFixedText) {
    EXPECT_EQ(FloatToStrF(GetParam().value, GetParam().decimals, NumberSeparators{}),
              GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FloatToStrFTest,
    ::testing::Values(FixedText{1234.5L, 2, "1,234.50"}, FixedText{12.3456L, 3, "12.346"},
                      FixedText{1000, 2, "1,000.00"}, FixedText{0, 3, "0.000"},
                      FixedText{1, 3, "1.000"}, FixedText{-1024, 2, "-1,024.00"},
                      FixedText{-32768, 2, "-32,768.00"}, FixedText{999.995L, 2, "1,000.00"},
                      // Exact ties round away from zero, as users' earlier results did.
                      FixedText{0.125L, 2, "0.13"}, FixedText{-0.125L, 2, "-0.13"},
                      FixedText{1234567.891L, 2, "1,234,567.89"}, FixedText{0.004L, 2, "0.00"},
                      FixedText{-0.001L, 2, "0.00"}, FixedText{123.4L, 0, "123"}));

TEST(FloatToStrF, UsesTheGivenSeparators) {
    EXPECT_EQ(FloatToStrF(1234567.5L, 2, {".", ","}), "1.234.567,50");
    EXPECT_EQ(FloatToStrF(1234.5L, 1, {"", "."}), "1234.5");
}

struct IntCase {
    const char* text;
    bool valid;
    std::int32_t value;
};

class StrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntTest, ReadsIntegersOrRefuses) {
    const IntCase& c = GetParam();
    if (c.valid) {
        EXPECT_EQ(StrToInt(c.text), c.value);
    } else {
        try {
            StrToInt(c.text);
            ADD_FAILURE() << "accepted '" << c.text << "'";
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(c.text) + "' は整数ではありません");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, StrToIntTest,
                         ::testing::Values(IntCase{"512", true, 512}, IntCase{"-1024", true, -1024},
                                           IntCase{"+7", true, 7}, IntCase{" 12", true, 12},
                                           IntCase{"2147483647", true, 2147483647},
                                           IntCase{"-2147483648", true, -2147483647 - 1},
                                           IntCase{"$1F", true, 31}, IntCase{"0x10", true, 16},
                                           IntCase{"", false, 0}, IntCase{"12 ", false, 0},
                                           IntCase{"1.5", false, 0}, IntCase{"abc", false, 0},
                                           IntCase{"2147483648", false, 0}, IntCase{"-", false, 0},
                                           IntCase{"99999999999999999999", false, 0},
                                           IntCase{"5a", false, 0}));

struct RealCase {
    const char* text;
    bool valid;
    long double value;
};

class StrToFloatTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(StrToFloatTest, ReadsRealsWithDecimalPoint) {
    const RealCase& c = GetParam();
    if (c.valid) {
        EXPECT_EQ(StrToFloat(c.text), c.value);
    } else {
        try {
            StrToFloat(c.text);
            ADD_FAILURE() << "accepted '" << c.text << "'";
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(c.text) + "' は浮動小数点数ではありません");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StrToFloatTest,
    ::testing::Values(RealCase{"1.0", true, 1}, RealCase{"-1024.5", true, -1024.5L},
                      RealCase{"1e3", true, 1000}, RealCase{" 2 ", true, 2},
                      RealCase{".5", true, 0.5L}, RealCase{"5.", true, 5},
                      RealCase{"0.661468", true, 0.661468L}, RealCase{"1E-6", true, 1e-6L},
                      RealCase{"", false, 0}, RealCase{"1,5", false, 0}, RealCase{"abc", false, 0},
                      RealCase{"1e", false, 0}, RealCase{"inf", false, 0},
                      RealCase{"nan", false, 0}, RealCase{"1e99999", false, 0},
                      RealCase{"1e-99999", true, 0}, RealCase{"-0.001e-99999", true, 0},
                      RealCase{".", false, 0}, RealCase{"0.5\\0.5", false, 0}));

TEST(IntToStr, WritesPlainDecimal) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-1024), "-1024");
    EXPECT_EQ(IntToStr(9223372036854775807LL), "9223372036854775807");
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// FloatToStr expands doubles with std::to_chars and other values with printf: both must give the
// same 18 correctly rounded digits for every double, or the texts of results would change.
TEST(NumberText, DoublesExpandAsPrintfExpandsThem) {
    std::uint64_t state = 12345;
    auto next = [&] {
        state += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    };
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = next();
        if (i % 4 == 1)  // magnitudes around 1, where spectra and frequencies lie
            bits =
                (bits & 0x800FFFFFFFFFFFFFULL) | (static_cast<std::uint64_t>(1003 + i % 40) << 52);
        if (i % 4 == 2) bits &= ~std::uint64_t{0} << (i % 52);  // few significant bits: ties
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || v == 0) continue;
        char viaPrintf[64], viaToChars[64];
        std::snprintf(viaPrintf, sizeof viaPrintf, "%.17Le",
                      std::fabs(static_cast<long double>(v)));
        const auto [end, ec] = std::to_chars(viaToChars, viaToChars + 63, std::fabs(v),
                                             std::chars_format::scientific, 17);
        *end = '\0';
        ASSERT_STREQ(viaToChars, viaPrintf) << bits;
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Qt sets the C library's locale from the environment, and printf then writes "0,312" under a
// German one: the summaries of plots and reports would disagree with the memos.
TEST(NumberText, SummaryTextsKeepThePointUnderACommaLocale) {
    test::TempFolder locales;
    const std::string make =
        "localedef -i de_DE -f UTF-8 '" + locales.path() + "/de_DE.UTF-8' >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << "localedef (Debian's locales) is needed";
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.3f", 0.3125);
    EXPECT_STREQ(printed, "0,312");  // the locale is in force
    EXPECT_EQ(fixedText(0.3125, 3), "0.312");
    EXPECT_EQ(fixedText(-2.0, 3), "-2.000");
    EXPECT_EQ(significantText(16.7149, 4), "16.71");
    EXPECT_EQ(significantText(123456.0, 4), "1.235e+05");
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
}

}  // namespace
}  // namespace ctiq
