#include "common/ui/radio_group.h"

#include <gtest/gtest.h>

#include <QRadioButton>

#include "common/app_error.h"
#include "tests/support/scripted_dialogs.h"

namespace ctiq {
namespace {

TEST(RadioGroup, ChoosingInCodeRunsTheClickHandlerOnChange) {
    RadioGroup group("Range", {"1", "3", "10", "30"}, 4, nullptr);
    int clicks = 0;
    group.onClick = [&] { ++clicks; };
    group.setItemIndex(2);
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    group.setItemIndex(2);
    EXPECT_EQ(clicks, 1);
    group.setItemIndexSilently(0);
    EXPECT_EQ(group.itemIndex(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(RadioGroup, ErrorOfACodeChoiceReachesTheCaller) {
    RadioGroup group("", {"a", "b"}, 2, nullptr);
    group.onClick = [] { throw AppError("boom"); };
    EXPECT_THROW(group.setItemIndex(1), AppError);
}

TEST(RadioGroup, UsersClickIsGuardedAndReported) {
    test::ScopedScriptedDialogs dialogs;
    RadioGroup group("", {"a", "b"}, 2, nullptr);
    group.onClick = [] { throw AppError("boom"); };
    group.findChildren<QRadioButton*>()[1]->click();
    EXPECT_EQ(group.itemIndex(), 1);
    ASSERT_EQ(dialogs->errors.size(), 1u);
    EXPECT_EQ(dialogs->errors[0], "boom");
}

}  // namespace
}  // namespace ctiq
