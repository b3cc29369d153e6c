// Whatever a scanner, a PACS export or a colleague hands over: every real file, hostile sizes and
// names, and write failures. Each ends in a correct load or a clear message, never in a crash,
// and a failed write never costs an existing file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "common/app_error.h"
#include "common/ui/radio_group.h"
#include "mtf/unit2.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

#if defined(__unix__)
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace ctiq {
namespace {

namespace fs = std::filesystem;

class Robustness : public test::WindowTest {
  protected:
    std::string lastError() const {
        return dialogs->errors.empty() ? std::string() : dialogs->errors.back().toStdString();
    }
};

struct CorpusCase {
    const char* file;
    bool asksForTheSize;
    const char* messagePart;  // empty: loads without a message
    bool loads = true;        // false: refused, the viewer shows no image
};

class DicomCorpus : public Robustness, public ::testing::WithParamInterface<CorpusCase> {};

TEST_P(DicomCorpus, LoadsOrExplains) {
    const CorpusCase& c = GetParam();
    const std::string path = folder.file(fs::path(c.file).filename().string());
    test::writeBytes(path, test::readBytes(test::testData(c.file)));
    if (c.asksForTheSize) dialogs->inputAnswers = {QString("64 64"), std::nullopt};
    load(path, 2);
    EXPECT_EQ(!dialogs->inputRequests.empty(), c.asksForTheSize);
    if (*c.messagePart == '\0') {
        EXPECT_TRUE(dialogs->errors.empty()) << lastError();
    } else {
        EXPECT_NE(lastError().find(c.messagePart), std::string::npos) << lastError();
    }
    EXPECT_EQ(viewer.LoadState, c.loads ? LoadStatus::Loaded : LoadStatus::Empty);
}

INSTANTIATE_TEST_SUITE_P(
    SharedFiles, DicomCorpus,
    ::testing::Values(CorpusCase{"dicom/CT_small.dcm", false, ""},
                      CorpusCase{"dicom/MR_small_implicit.dcm", false, ""},
                      CorpusCase{"dicom/MR_truncated.dcm", false, "more image than the file holds"},
                      CorpusCase{"dicom/MR_small_bigendian.dcm", false, ""},
                      // Two bytes of Pixel Data, no Rows or Columns, private elements in group
                      // 0001: the toolkit refuses it, with the header listed.
                      CorpusCase{"dicom/nested_priv_SQ.dcm", false, "DICOM", false},
                      CorpusCase{"phantoms/point.dcm", false, ""}));

TEST_F(Robustness, CompressedDicomListsItsHeaderAndSaysWhyItIsNotShown) {
    using B = test::DicomBuilder;
    B b("1.2.840.10008.1.2.4.50");
    b.us(0x0028, 0x0010, 8).us(0x0028, 0x0011, 8);
    std::vector<std::uint8_t> bytes = b.bytes();
    // Encapsulated pixel data: undefined length, an empty offset table, one fragment.
    for (const auto& part :
         {B::tag(0x7FE0, 0x0010), std::vector<std::uint8_t>{'O', 'B', 0, 0}, B::u32(0xFFFFFFFF),
          B::tag(0xFFFE, 0xE000), B::u32(0), B::tag(0xFFFE, 0xE000), B::u32(4),
          std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}, B::tag(0xFFFE, 0xE0DD), B::u32(0)})
        bytes.insert(bytes.end(), part.begin(), part.end());
    bytes.resize(bytes.size() * 3, 0);
    const std::string path = folder.file("jpeg.dcm");
    test::writeBytes(path, bytes);
    load(path, 2);
    // The toolkit helper cannot read the damaged stream: it says so, the header stays listed.
    EXPECT_EQ(lastError().rfind(messages::toolkitCannotShow("").substr(0, 20), 0), 0u)
        << lastError();
    EXPECT_EQ(viewer.EditImgSizeX->text(), "8");
    EXPECT_GT(viewer.StringGridDICOM->rowCount(), 3);
    EXPECT_EQ(viewer.LoadState, LoadStatus::Empty);
}

TEST_F(Robustness, EmptyAndOneByteFiles) {
    dialogs->inputAnswers = {QString("0 0"), QString("1")};
    load(folder.file("empty.raw"), 1);  // missing: cannot be opened
    EXPECT_NE(lastError().find("は開けません"), std::string::npos);
    test::writeBytes(folder.file("empty.raw"), {});
    load(folder.file("empty.raw"), 1);
    ASSERT_GE(dialogs->inputRequests.size(), 2u);
    EXPECT_EQ(dialogs->inputRequests[dialogs->inputRequests.size() - 2].defaultText.toStdString(),
              "0 0");
    EXPECT_EQ(viewer.LoadState, LoadStatus::Loaded);
    test::writeBytes(folder.file("one.raw"), {7});
    dialogs->inputAnswers = {QString("1"), QString("1")};
    load(folder.file("one.raw"), 1);
    EXPECT_NE(lastError().find("more image than the file holds"), std::string::npos) << lastError();
    dialogs->inputAnswers = {QString("1"), QString("1")};
    load(folder.file("one.raw"), 0);
    EXPECT_EQ(viewer.ImgCols, 1);
}

TEST_F(Robustness, FarTooLargeFileIsRefusedBeforeItIsRead) {
    const std::string path = folder.file("huge 512 512 1.raw");
    test::writeBytes(path, {1});
    std::error_code ec;
    fs::resize_file(path, std::uintmax_t{2} << 30, ec);  // sparse: takes no disk space
    if (ec) GTEST_SKIP() << "this file system cannot hold a 2 GiB sparse file";
    load(path, 1);
    EXPECT_NE(lastError().find("more than an image file can"), std::string::npos) << lastError();
    EXPECT_TRUE(viewer.ImageStream.empty());
}

TEST_F(Robustness, FolderChosenAsAFile) {
    const std::string path = folder.path() + "/sub 8 8 1.raw";
    fs::create_directory(path);
    load(path, 1);
    EXPECT_EQ(lastError(), "ファイル " + path + " は開けません (フォルダです)");
    EXPECT_EQ(viewer.LoadState, LoadStatus::Empty);
}

TEST_F(Robustness, BlanksDotsInFoldersAndNonAsciiNames) {
    const std::string dir = folder.path() + "/v1.2 scans/日本語";
    fs::create_directories(fs::u8path(dir));
    const std::string path = dir + "/ファントム 4 2 0p5.raw";
    test::writeBytes(path, test::wordsLE({1, 2, 3, 4, 5, 6, 7, 8}));
    load(path, 1);
    EXPECT_TRUE(dialogs->errors.empty()) << lastError();
    EXPECT_EQ(viewer.ImgCols, 4);
    EXPECT_EQ(viewer.ImgRows, 2);
    EXPECT_EQ(viewer.EditPxlSpc->text(), "0.5");
    EXPECT_EQ(viewer.EditFListNo->text(), "0");
}

#if defined(__unix__)
TEST_F(Robustness, UnreadableFileGivesAMessage) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string path = folder.file("locked 2 2 1.raw");
    test::writeBytes(path, {1, 2, 3, 4, 5, 6, 7, 8});
    fs::permissions(path, fs::perms::none);
    load(path, 1);
    EXPECT_EQ(lastError(), "ファイル " + path + " は開けません (読み取りの権限がありません)");
}

// A write that fails part way (the file size limit stands in for a full disk).
TEST_F(Robustness, FailedTrimLeavesTheExistingFileWhole) {
    std::vector<std::int16_t> words(64 * 64, 5);
    const std::string source = folder.file("src 64 64 1.raw");
    test::writeBytes(source, test::wordsLE(words));
    load(source, 1);
    viewer.EditROISizeX->setText("40");
    viewer.EditROISizeY->setText("40");
    viewer.ButtonDisp->click();
    const std::string target = folder.file("cut 40 40 1.bin");
    const std::vector<std::uint8_t> old(100, 9);
    test::writeBytes(target, old);

    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 1000;  // the new file needs 3200 bytes
    setrlimit(RLIMIT_FSIZE, &small);
    dialogs->openFileAnswers.push_back(QString::fromStdString(folder.file("cut.raw")));
    viewer.ButtonTriming->click();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_NE(lastError().find("could not be written"), std::string::npos) << lastError();
    EXPECT_TRUE(dialogs->informations.empty());
    EXPECT_EQ(test::readBytes(target), old);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 2);  // the source and the old target: no partial or temporary file

    dialogs->openFileAnswers.push_back(QString::fromStdString(folder.file("cut.raw")));
    viewer.ButtonTriming->click();  // without the limit it replaces the old file whole
    EXPECT_EQ(test::readBytes(target).size(), 3200u);
}
#endif

TEST_F(Robustness, TrimIntoAMissingFolderIsAMessage) {
    load(folder.file("x 16 16 1.raw"), 1);  // not there: cannot be opened
    test::writeBytes(folder.file("x 16 16 1.raw"), std::vector<std::uint8_t>(512, 1));
    load(folder.file("x 16 16 1.raw"), 1);
    viewer.EditROISizeX->setText("4");
    viewer.EditROISizeY->setText("4");
    viewer.ButtonDisp->click();
    dialogs->openFileAnswers.push_back(QString::fromStdString(folder.path() + "/gone/out.raw"));
    viewer.ButtonTriming->click();
    EXPECT_NE(lastError().find("could not be written"), std::string::npos) << lastError();
    EXPECT_TRUE(dialogs->informations.empty());
}

}  // namespace
}  // namespace ctiq
