#include "viewer/file_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>

#include "common/app_error.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

TEST(FolderPrefix, UpToTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(folderPrefix("/data/ct/IM1"), "/data/ct/");
    EXPECT_EQ(folderPrefix("C:\\CT\\a.dcm"), "C:\\CT\\");
    EXPECT_EQ(folderPrefix("C:\\CT/sub\\a.dcm"), "C:\\CT/sub\\");
    EXPECT_EQ(folderPrefix("a.dcm"), "");
}

TEST(NaturalLess, DigitRunsCompareByValue) {
    std::vector<std::string> names = {"IM10", "IM2",  "IM1", "IM02b", "IM2a",
                                      "b",    "a10x", "a9x", "IM"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    EXPECT_EQ(names, (std::vector<std::string>{"IM", "IM1", "IM2", "IM2a", "IM02b", "IM10", "a9x",
                                               "a10x", "b"}));
    EXPECT_FALSE(naturalLess("x1", "x1"));
    EXPECT_NE(naturalLess("x01", "x1"), naturalLess("x1", "x01"));  // a strict total order
}

TEST(ListFolderFiles, FilesOnlyInNaturalOrderWithThePrefix) {
    test::TempFolder folder;
    // A scan's folder with its notes and the tables exported from it: those are no images.
    for (const char* name : {"IM10", "IM2", "IM1", ".hidden", "name with blanks 1 2 0p5.raw",
                             "日本語.dcm", "README.md", "spectra.TSV", "report.html", "mtf.png"})
        test::writeBytes(folder.file(name), {1});
    QDir(QString::fromStdString(folder.path())).mkdir("IM3");
    const std::string prefix = folder.path() + "/";
    const auto files = listFolderFiles(prefix);
    EXPECT_EQ(files, (std::vector<std::string>{
                         prefix + ".hidden", prefix + "IM1", prefix + "IM2", prefix + "IM10",
                         prefix + "name with blanks 1 2 0p5.raw", prefix + "日本語.dcm"}));
    EXPECT_EQ(indexInList(files, prefix + "IM10"), 3);
}

TEST(MayBeAnImage, OnlyExtensionsThatHoldNoImageAreLeftOut) {
    for (const char* image : {"IM1", "slice.dcm", "a 256 256 0p5.raw", "x.img", "1.2.840.5.3",
                              ".hidden", "dir.md/IM1", "CT.DCM"})
        EXPECT_TRUE(mayBeAnImage(image)) << image;
    for (const char* other : {"notes.md", "a.TSV", "r.json", "r.jsonl", "c.csv", "p.PNG", "x.txt"})
        EXPECT_FALSE(mayBeAnImage(other)) << other;
}

TEST(ListFolderFiles, MissingFolderAndMissingFileAreErrors) {
    EXPECT_THROW(listFolderFiles("/nonexistent-ctiq-folder/"), AppError);
    try {
        indexInList({"a", "b", "c"}, "A");
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "リストのインデックスが範囲を超えています (3)");
    }
}

}  // namespace
}  // namespace ctiq
