#include "viewer/trimming.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "common/app_error.h"
#include "common/safe_file.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

TEST(TrimmedFileName, CarriesTheGeometry) {
    EXPECT_EQ(trimmedFileName("D:\\img\\a.raw", 100, 50, "0.5"), "D:\\img\\a 100 50 0p5.bin");
    EXPECT_EQ(trimmedFileName("C:\\CT\\phantom.dcm", 64, 64, "0.468"),
              "C:\\CT\\phantom 64 64 0p468.bin");
    EXPECT_EQ(trimmedFileName("/data/a.raw", 8, 4, ""), "/data/a 8 4 .bin");
    EXPECT_EQ(trimmedFileName("/data/a", 8, 4, "1"), "/data/a 8 4 1.bin");
    // A dot in a folder's name stays: the file lands in the folder chosen.
    EXPECT_EQ(trimmedFileName("/data/v1.2/scan.raw", 8, 4, "0.5"), "/data/v1.2/scan 8 4 0p5.bin");
    EXPECT_EQ(trimmedFileName("/home/u/.cache/x", 8, 4, "1"), "/home/u/.cache/x 8 4 1.bin");
    EXPECT_EQ(trimmedFileName("C:\\v1.2\\a.b.raw", 8, 4, "1"), "C:\\v1.2\\a 8 4 1.bin");
}

TEST(TrimmedSamples, CopiesWordsAsStoredAndBytesAsWords) {
    // 3 × 3 words after a 1-byte header; the block is rows 1..2, columns 0..1.
    std::vector<std::uint8_t> data = {0xEE};
    for (int k = 0; k < 9; ++k) data.insert(data.end(), {std::uint8_t(k), std::uint8_t(0x80 + k)});
    EXPECT_EQ(trimmedSamples(data.data(), {1, 3, 3, SampleFormat::Word16}, {1, 0, 2, 2}),
              (std::vector<std::uint8_t>{3, 0x83, 4, 0x84, 6, 0x86, 7, 0x87}));
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4};
    EXPECT_EQ(trimmedSamples(bytes.data(), {0, 2, 2, SampleFormat::Byte8}, {0, 1, 2, 1}),
              (std::vector<std::uint8_t>{2, 0, 4, 0}));
}

TEST(SaveFileSafely, WritesAndReplacesWhole) {
    test::TempFolder folder;
    const std::string path = folder.file("a 2 1 1.bin");
    saveFileSafely(path, {1, 2, 3, 4});
    EXPECT_EQ(test::readBytes(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    saveFileSafely(path, {9, 9});
    EXPECT_EQ(test::readBytes(path), (std::vector<std::uint8_t>{9, 9}));
}

TEST(SaveFileSafely, FailureLeavesTheExistingFileAndNoPartialOne) {
    test::TempFolder folder;
    const std::string path = folder.file("keep.bin");
    test::writeBytes(path, {7, 7, 7});
    namespace fs = std::filesystem;
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool writable =
        QFile(QString::fromStdString(folder.file("probe"))).open(QIODevice::WriteOnly);
    if (!writable) {  // root may write anyway; then there is no failure to observe
        EXPECT_THROW(saveFileSafely(path, {1, 2}), AppError);
        EXPECT_EQ(test::readBytes(path), (std::vector<std::uint8_t>{7, 7, 7}));
    }
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_THROW(saveFileSafely(folder.file("no such folder/x.bin"), {1}), AppError);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()),
              writable ? 2 : 1);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

namespace fs = std::filesystem;

std::size_t entriesIn(const std::string& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Links planted at temporary names a writer might use: none is followed, the target is written,
// nothing else changes and no temporary file stays.
TEST(SaveFileSafely, NeverFollowsALinkPlantedBesideTheTarget) {
    test::TempFolder folder;
    const std::string victim = folder.file("victim.txt");
    test::writeBytes(victim, {'K', 'E', 'E', 'P'});
    const std::string target = folder.file("v 4 4 0p5.raw");
    for (const char* suffix : {".ctiq-0.tmp", ".ctiq-1.tmp", ".tmp", ".ctiq-XXXXXX.tmp"})
        fs::create_symlink(victim, target + suffix);
    saveFileSafely(target, {1, 2, 3});
    EXPECT_EQ(test::readBytes(victim), (std::vector<std::uint8_t>{'K', 'E', 'E', 'P'}));
    EXPECT_EQ(test::readBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(entriesIn(folder.path()), 6u);  // victim, target and the four links
}

TEST(SaveFileSafely, RefusesAReadOnlyTargetAndKeepsTheModeOfAWritableOne) {
    test::TempFolder folder;
    const std::string locked = folder.file("locked.bin");
    test::writeBytes(locked, {7});
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    try {
        saveFileSafely(locked, {1, 2});
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::readBytes(locked), (std::vector<std::uint8_t>{7}));

    const std::string shared = folder.file("shared.bin");
    test::writeBytes(shared, {7});
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(shared, mode);
    saveFileSafely(shared, {1, 2});
    EXPECT_EQ(fs::status(shared).permissions(), mode);
    EXPECT_EQ(entriesIn(folder.path()), 2u);
}

}  // namespace
}  // namespace ctiq
