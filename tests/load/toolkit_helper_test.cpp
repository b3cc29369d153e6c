// The toolkit helper: its sandbox, the checks it makes before the toolkit sees a file, and the
// client's handling of a helper that fails.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "load/dicom/toolkit_wire.h"
#include "load/helper_process.h"
#include "load/toolkit/codestream_check.h"
#include "load/toolkit/declared_lengths.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

namespace fs = std::filesystem;

TEST(ToolkitSandbox, StartingAProgramEndsTheHelperBySigsys) {
    const std::string command = std::string(CTIQ_HELPER_PATH) + " --probe-sandbox >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    // The shell reports a child ended by signal N as 128 + N.
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGSYS);
}

std::vector<std::uint8_t> withWord(std::vector<std::uint8_t> bytes, std::size_t at, int value) {
    bytes[at] = static_cast<std::uint8_t>(value >> 8);  // big endian, as JPEG writes
    bytes[at + 1] = static_cast<std::uint8_t>(value);
    return bytes;
}

TEST(CodestreamCheck, ShapeAgainstTheHeader) {
    // A JPEG lossless frame header: FFC3, length, precision 16, 48 rows, 64 columns, 1 component.
    const std::vector<std::uint8_t> sof = {0xFF, 0xD8, 0xFF, 0xC3, 0x00, 0x0B, 16, 0,
                                           48,   0,    64,   1,    1,    0x11, 0};
    const toolkit::FrameShape shape{64, 48, 16, 1};
    using toolkit::Codestream;
    EXPECT_FALSE(toolkit::codestreamMismatch(Codestream::Jpeg, sof.data(), sof.size(), shape));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> stream;
        toolkit::FrameShape shape;
    };
    const Case cases[] = {
        {"more rows in the stream", withWord(sof, 7, 96), shape},
        {"other columns", withWord(sof, 9, 32), shape},
        {"16-bit stream, 8 bits allocated", sof, {64, 48, 8, 1}},
        {"three components",
         [&] {
             auto s = sof;
             s[11] = 3;
             return s;
         }(),
         shape},
        {"no frame header", {0xFF, 0xD8, 0xFF, 0xD9}, shape},
        {"12-bit allocation", sof, {64, 48, 12, 1}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(toolkit::codestreamMismatch(Codestream::Jpeg, c.stream.data(), c.stream.size(),
                                                c.shape))
            << c.what;
}

TEST(CodestreamCheck, RleSegmentsDecodeToTheHeadersSize) {
    // Two segments (16-bit samples) of a 4 × 2 image: each a run of 8 bytes (-7: repeat 8 times).
    std::vector<std::uint8_t> rle(64, 0);
    rle[0] = 2;
    rle[4] = 64;
    rle[8] = 66;
    rle.insert(rle.end(), {0xF9, 0x10, 0xF9, 0x20});
    EXPECT_FALSE(toolkit::codestreamMismatch(toolkit::Codestream::Rle, rle.data(), rle.size(),
                                             {4, 2, 16, 1}));
    EXPECT_TRUE(toolkit::codestreamMismatch(toolkit::Codestream::Rle, rle.data(), rle.size(),
                                            {4, 1, 16, 1}));  // twice the rows in the stream
    EXPECT_TRUE(toolkit::codestreamMismatch(toolkit::Codestream::Rle, rle.data(), rle.size(),
                                            {4, 2, 8, 1}));  // two segments for 8-bit samples
}

TEST(DeclaredLengths, UnOfUndefinedLengthIsAnImplicitSequence) {
    // gdcmconv writes a sequence it has no VR for as UN of undefined length; its items hold
    // implicit VR elements. The GE-like fixture after such a re-encoding must pass the walk.
    std::string syntax;
    const auto ge = test::readBytes(test::testData("encodings/ge_un_jpeg.dcm"));
    EXPECT_TRUE(toolkit::declaredLengthsFit(ge, syntax));
    EXPECT_EQ(syntax, "1.2.840.10008.1.2.4.70");
    // A length that runs past the end is refused.
    auto cut = ge;
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(toolkit::declaredLengthsFit(cut, syntax));
}

TEST(ToolkitWire, AnswersSurviveTheTripAndGarbageIsRefused) {
    dicom::ToolkitAnswer a;
    a.outcome = dicom::ToolkitOutcome::Decoded;
    a.headerRead = true;
    a.header.rows = {{"  1", "0002", "0002", "UI", "001A", "MediaStorageSOPClassUID", "1.2"}};
    a.header.fields.columns = "64";
    a.header.fields.swap = false;
    a.header.image.bitsAllocated = 16;
    a.columns = 2;
    a.rows = 1;
    a.samples = {1, 2, 3, 4};
    const std::string wire = dicom::encodeAnswer(a);
    const dicom::ToolkitAnswer b = dicom::decodeAnswer(wire);
    EXPECT_EQ(b.header.rows, a.header.rows);
    EXPECT_EQ(b.header.fields.columns, a.header.fields.columns);
    EXPECT_EQ(b.header.fields.swap, a.header.fields.swap);
    EXPECT_EQ(b.header.image.bitsAllocated, 16);
    EXPECT_EQ(b.samples, a.samples);
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, wire.size() - 1})
        EXPECT_THROW(dicom::decodeAnswer(wire.substr(0, cut)), std::runtime_error) << cut;
    std::string huge = wire;
    huge[9] = '\x7F';  // a reason "longer" than the message
    EXPECT_THROW(dicom::decodeAnswer(huge), std::runtime_error);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A JPEG stream whose first byte is damaged: libjpeg refuses it, and the toolkit then tries to
// run pvrg-jpeg through the shell (installed for every test run). The helper must refuse the
// file without starting anything, and leave no file behind in any temporary folder.
TEST(ToolkitSandbox, ADamagedJpegStartsNoProgramAndLeavesNoFile) {
    test::TempFolder temporary;
    const std::string before = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", temporary.path().c_str(), 1);
    std::string error;
    std::unique_ptr<HelperProcess> helper = HelperProcess::start(CTIQ_HELPER_PATH, error);
    if (before.empty())
        ::unsetenv("TMPDIR");
    else
        ::setenv("TMPDIR", before.c_str(), 1);
    ASSERT_TRUE(helper) << error;
    const std::string privateFolder = helper->temporaryFolder();
    EXPECT_EQ(fs::path(privateFolder).parent_path(), fs::path(temporary.path()));

    dicom::ToolkitRequest request;
    request.file = test::readBytes(test::testData("encodings/other/jpeg_damaged_soi.dcm"));
    std::string answer;
    const HelperProcess::Failure failure =
        helper->exchange(dicom::encodeRequest(request), answer, 30000);
    if (failure == HelperProcess::Failure::None) {
        EXPECT_EQ(dicom::decodeAnswer(answer).outcome, dicom::ToolkitOutcome::Refused);
    } else {
        // pvrg-jpeg installed: the attempt to start it ended the helper.
        EXPECT_EQ(failure, HelperProcess::Failure::Sandboxed);
    }
    helper.reset();
    EXPECT_FALSE(fs::exists(privateFolder));
    EXPECT_TRUE(fs::is_empty(temporary.path())) << "left behind in " << temporary.path();
}

TEST(ToolkitHelper, ANewHelperServesAfterOneFailed) {
    std::string error;
    std::unique_ptr<HelperProcess> helper = HelperProcess::start(CTIQ_HELPER_PATH, error);
    ASSERT_TRUE(helper) << error;
    dicom::ToolkitRequest request;
    request.file = test::readBytes(test::testData("encodings/rle.dcm"));
    std::string answer;
    // No time to answer: the helper is ended, its folder removed, and it serves no more.
    EXPECT_EQ(helper->exchange(dicom::encodeRequest(request), answer, 0),
              HelperProcess::Failure::TimedOut);
    EXPECT_TRUE(helper->temporaryFolder().empty());
    EXPECT_EQ(helper->exchange(dicom::encodeRequest(request), answer, 30000),
              HelperProcess::Failure::Died);
    helper = HelperProcess::start(CTIQ_HELPER_PATH, error);
    ASSERT_TRUE(helper) << error;
    ASSERT_EQ(helper->exchange(dicom::encodeRequest(request), answer, 30000),
              HelperProcess::Failure::None);
    const dicom::ToolkitAnswer a = dicom::decodeAnswer(answer);
    EXPECT_EQ(a.outcome, dicom::ToolkitOutcome::Decoded) << a.reason;
    EXPECT_EQ(a.samples.size(), 64u * 48u * 2u);
}

}  // namespace
}  // namespace ctiq
