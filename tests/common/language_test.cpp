#include "common/language.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

// A message pattern's values go in once; what() is English whatever the language, the reader
// reads the pattern's translation, and the parts of a message in the same language.
TEST(Language, PatternMessagesInTheReadersLanguage) {
    EXPECT_EQ(filledIn("%1 and %2", {"%2", "b"}), "%2 and b");
    EXPECT_EQ(filledIn("%1 of %3, 100 %", {"a"}), "a of %3, 100 %");
    const AppError step("The grid step is %1; it must be at least 1.", {"0"});
    const AppError wrapped("%1: %2", {AppError("a %1.raw"), step});
    for (const bool english : {true, false, true}) {
        useEnglish(english);
        EXPECT_STREQ(step.what(), "The grid step is 0; it must be at least 1.");
        EXPECT_STREQ(wrapped.what(), "a %1.raw: The grid step is 0; it must be at least 1.");
        EXPECT_EQ(inUserLanguage(step),
                  english ? step.what() : "グリッドの間隔が 0 です。1 以上にしてください。");
        EXPECT_EQ(
            inUserLanguage(wrapped),
            english ? wrapped.what() : "a %1.raw: グリッドの間隔が 0 です。1 以上にしてください。");
        EXPECT_EQ(inUserLanguage("it has no frame %1", {"4"}),
                  english ? "it has no frame 4" : "フレーム 4 がありません");
        // A message made as it is, and any other exception, read as they are.
        EXPECT_EQ(inUserLanguage(AppError(messages::integerOverflow())),
                  messages::integerOverflow());
        EXPECT_EQ(inUserLanguage(std::runtime_error("50%1")), "50%1");
    }
}

}  // namespace
}  // namespace ctiq
