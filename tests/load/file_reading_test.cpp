#include "load/file_reading.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

TEST(ReadWholeFile, ReadsEveryByte) {
    test::TempFolder folder;
    const std::vector<std::uint8_t> bytes = {0, 1, 2, 255, 0};
    test::writeBytes(folder.file("a b.raw"), bytes);
    ImageBytes into = {9, 9};
    readWholeFile(folder.file("a b.raw"), into);
    EXPECT_EQ(into, bytes);
    test::writeBytes(folder.file("empty"), {});
    readWholeFile(folder.file("empty"), into);
    EXPECT_TRUE(into.empty());
}

TEST(ReadWholeFile, MissingFileOrFolderCannotBeOpened) {
    test::TempFolder folder;
    ImageBytes into = {1};
    for (auto [path, why] : {std::pair{folder.file("missing.raw"), "ファイルがありません"},
                             std::pair{folder.path(), "フォルダです"},
                             std::pair{std::string("/dev/null"), "通常のファイルではありません"}}) {
        try {
            readWholeFile(path, into);
            ADD_FAILURE() << path;
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()), "ファイル " + path + " は開けません (" + why + ")");
        }
        EXPECT_TRUE(into.empty());
    }
}

}  // namespace
}  // namespace ctiq
