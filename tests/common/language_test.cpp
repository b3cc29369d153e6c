#include "common/language.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {
namespace {

TEST(Language, JapaneseSystemsReadTheOriginals) {
    for (const char* ui : {"ja", "ja-JP", "JA_jp"}) EXPECT_FALSE(wantsEnglish(ui)) << ui;
    for (const char* ui : {"en-US", "C", "de-DE", "zh-CN", ""}) EXPECT_TRUE(wantsEnglish(ui)) << ui;
}

// Both languages of every message the program makes.
TEST(Language, MessagesInBothLanguages) {
    struct Case {
        std::string (*make)();
        const char* japanese;
        const char* english;
    };
    const std::vector<Case> cases = {
        {[] { return messages::notAnInteger("abc"); }, "'abc' は整数ではありません",
         "'abc' is not an integer"},
        {[] { return messages::notAFloat("x"); }, "'x' は浮動小数点数ではありません",
         "'x' is not a floating-point number"},
        {[] { return messages::listIndexOutOfRange(7); },
         "リストのインデックスが範囲を超えています (7)", "List index out of bounds (7)"},
        {[] { return messages::cannotOpenFile("/a b.dcm"); }, "ファイル /a b.dcm は開けません",
         "Cannot open file /a b.dcm"},
        {[] { return messages::integerOverflow(); }, "整数のオーバーフロー", "Integer overflow"},
        {[] { return messages::invalidFloatOperation(); }, "無効な浮動小数点演算",
         "Invalid floating-point operation"},
    };
    for (bool english : {false, true, false}) {
        useEnglish(english);
        for (const Case& c : cases) EXPECT_EQ(c.make(), english ? c.english : c.japanese);
    }
    useEnglish(true);
    EXPECT_EQ(messages::inField("Size", messages::notAnInteger("abc")),
              "Size: 'abc' is not an integer");
    useEnglish(false);
}

}  // namespace
}  // namespace ctiq
