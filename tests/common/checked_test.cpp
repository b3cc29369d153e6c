#include "common/checked.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/pixel_spacing.h"
#include "common/rounding.h"

namespace ctiq {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

void expectMessage(void (*f)(), const char* message) {
    try {
        f();
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

TEST(Checked, IntegerArithmeticThrowsOnOverflow) {
    EXPECT_EQ(checkedAdd(kMax - 1, 1), kMax);
    EXPECT_EQ(checkedSub(kMin + 1, 1), kMin);
    EXPECT_EQ(checkedMul(46340, 46340), 2147395600);
    expectMessage([] { checkedAdd(kMax, 1); }, "整数のオーバーフロー");
    expectMessage([] { checkedSub(kMin, 1); }, "整数のオーバーフロー");
    expectMessage([] { checkedMul(65536, 32768); }, "整数のオーバーフロー");
    expectMessage([] { checkedDiv(kMin, -1); }, "整数のオーバーフロー");
    expectMessage([] { toInt32(std::int64_t{kMax} + 1); }, "整数のオーバーフロー");
}

TEST(Checked, DivTruncatesTowardZero) {
    EXPECT_EQ(checkedDiv(7, 2), 3);
    EXPECT_EQ(checkedDiv(-7, 2), -3);
    expectMessage([] { checkedDiv(1, 0); }, "0 による除算");
}

TEST(Checked, RealDivisionNeverYieldsInfinity) {
    EXPECT_EQ(checkedDivide(256, 1024), 0.25L);
    expectMessage([] { checkedDivide(256, 0); }, "0 による浮動小数点数除算");
    expectMessage([] { checkedDivide(0, 0); }, "無効な浮動小数点演算");
}

TEST(Rounding, TruncAndTiesToEven) {
    EXPECT_EQ(Trunc(2.9L), 2);
    EXPECT_EQ(Trunc(-2.9L), -2);
    EXPECT_EQ(roundHalfEven(0.5L), 0);
    EXPECT_EQ(roundHalfEven(1.5L), 2);
    EXPECT_EQ(roundHalfEven(2.5L), 2);
    EXPECT_EQ(roundHalfEven(-1.5L), -2);
    EXPECT_EQ(roundHalfEven(2.5000001L), 3);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST(PixelSpacing, OnlyPositiveFiniteMillimetresPass) {
    EXPECT_EQ(requirePixelSpacing(0.5L, "x"), 0.5);
    for (const long double bad :
         {0.0L, -0.5L, 1e999L, std::numeric_limits<long double>::quiet_NaN(),
          std::numeric_limits<long double>::infinity()}) {
        try {
            requirePixelSpacing(bad, "mmPS");
            ADD_FAILURE() << static_cast<double>(bad);
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("The pixel spacing (mmPS) is ", 0), 0u)
                << e.what();
        }
    }
}

}  // namespace
}  // namespace ctiq
