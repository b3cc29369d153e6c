// The toolkit helper: its sandbox, the checks it makes before the toolkit sees a file, and the
// client's handling of a helper that fails.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "load/dicom/toolkit_wire.h"
#include "load/helper_process.h"
#include "load/toolkit/codestream_check.h"
#include "load/toolkit/declared_lengths.h"
#include "load/toolkit/frame_locator.h"
#include "load/toolkit/sandbox.h"
#include "load/toolkit_client.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

namespace fs = std::filesystem;

// Each forbidden action, tried by the confined helper itself: killed by the sandbox (SIGSYS) or
// refused (the probe's exit 5); exit 0 would mean it went through.
TEST(ToolkitSandbox, EveryForbiddenActionIsKilledOrRefused) {
    const struct {
        const char* action;
        bool killed;  // else refused
    } cases[] = {
        {"exec", true},    {"fork", true},    {"ptrace", true}, {"open", false},
        {"create", false}, {"socket", false}, {"connect", false},
    };
    for (const auto& c : cases) {
        const std::string command = std::string(CTIQ_HELPER_PATH) + " --probe-sandbox=" +
                                    c.action + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.action;
        // The shell reports a child ended by signal N as 128 + N.
        EXPECT_EQ(WEXITSTATUS(status), c.killed ? 128 + SIGSYS : 5) << c.action;
    }
    EXPECT_FALSE(fs::exists("/tmp/ctiq-sandbox-probe"));
}

// The helper serves file after file; each gets the CPU budget its size and frames ask for, also
// in a process without privilege (which may never raise a hard limit it has lowered).
TEST(ToolkitSandbox, EveryFileGetsItsOwnBudgetAlsoAfterASmallerOne) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        const auto softSeconds = [] {
            rlimit cpu{};
            ::getrlimit(RLIMIT_CPU, &cpu);
            return cpu.rlim_cur;
        };
        const std::size_t small = 1000, large = std::size_t{200} << 20;  // 200 MiB: 52 s
        const std::uint64_t largeFrame = std::uint64_t{32} << 20;          // 4096² 16-bit: +4 s
        toolkit::limitForFile(large, 0);
        const rlim_t first = softSeconds();
        toolkit::limitForFile(small, 0);
        const rlim_t between = softSeconds();
        toolkit::limitForFile(large, 0);
        const rlim_t again = softSeconds();
        toolkit::limitForFile(small, largeFrame);
        const rlim_t frame = softSeconds();
        ::_exit(first >= 50 && between <= 4 && again == first && frame >= between + 4 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Each file's declared frames are read before the toolkit sees it; a frame no CT image needs is
// refused by name.
TEST(DeclaredLengths, TheDeclaredFrameSetsTheBudgetAndAnAbsurdOneIsRefused) {
    test::DicomBuilder b;
    b.us(0x0028, 0x0002, 1).us(0x0028, 0x0010, 16).us(0x0028, 0x0011, 24).us(0x0028, 0x0100, 16);
    const auto file = b.withPixels(std::vector<std::int16_t>(16 * 24, 7));
    std::string syntax;
    toolkit::DeclaredImage declared;
    ASSERT_TRUE(toolkit::declaredLengthsFit(file, syntax, nullptr, &declared));
    EXPECT_EQ(declared.frameBytes(), 16u * 24u * 2u);

    test::DicomBuilder huge;
    huge.us(0x0028, 0x0002, 3).us(0x0028, 0x0010, 65535).us(0x0028, 0x0011, 65535);
    huge.us(0x0028, 0x0100, 16);
    const dicom::ToolkitAnswer a =
        readWithToolkitHelper(huge.withPixels(std::vector<std::int16_t>(512, 7)), false);
    EXPECT_EQ(a.outcome, dicom::ToolkitOutcome::Refused);
    EXPECT_NE(a.reason.find("declares frames of 24575 MiB"), std::string::npos) << a.reason;
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

using Bytes = std::vector<std::uint8_t>;

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A frame header of `marker` (FFC3 or FFF7) for 16-bit samples, `rows` × 64, one component.
Bytes frameHeader(std::uint8_t marker, std::uint8_t rows) {
    return {0xFF, marker, 0x00, 0x0B, 16, 0, rows, 0, 64, 1, 1, 0x11, 0};
}

// A segment of `marker` holding `content`, its length counted as JPEG counts it.
Bytes segment(std::uint8_t marker, const Bytes& content) {
    const auto length = static_cast<std::uint16_t>(content.size() + 2);
    return joined(
        {{0xFF, marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)},
         content});
}

TEST(CodestreamCheck, JpegFrameHeaderIsFoundByWalkingTheSegments) {
    const Bytes soi = {0xFF, 0xD8};
    const Bytes falseSof = frameHeader(0xF7, 24);  // 24 rows, hidden in a segment's content
    const Bytes realSof = frameHeader(0xF7, 48);
    using toolkit::Codestream;
    struct Case {
        const char* what;
        Bytes stream;
        Codestream kind;
        std::int64_t headerRows;
        const char* refusal;  // a part of the reason, or nullptr where the stream agrees
    };
    const Case cases[] = {
        {"false SOF in a comment, header agrees with the stream",
         joined({soi, segment(0xFE, falseSof), realSof}), Codestream::JpegLs, 48, nullptr},
        {"false SOF in a comment, header lowered to match it",
         joined({soi, segment(0xFE, falseSof), realSof}), Codestream::JpegLs, 24,
         "holds 64 × 48 samples, the header says 64 × 24"},
        {"false SOF in an APP5 segment", joined({soi, segment(0xE5, falseSof), realSof}),
         Codestream::JpegLs, 24, "64 × 48"},
        {"fill bytes and a TEM marker before the frame header",
         joined({soi, {0xFF, 0x01, 0xFF, 0xFF}, realSof}), Codestream::JpegLs, 48, nullptr},
        {"a segment that runs past the end", joined({soi, {0xFF, 0xFE, 0x40, 0x00}, realSof}),
         Codestream::JpegLs, 48, "runs past its end"},
        {"no start of image", realSof, Codestream::JpegLs, 48, "start of image"},
        {"a scan before any frame header", joined({soi, segment(0xDA, {1}), realSof}),
         Codestream::JpegLs, 48, "FFDA before a frame header"},
        {"JPEG-LS frame header in a JPEG syntax", joined({soi, realSof}), Codestream::Jpeg, 48,
         "JPEG-LS frame header (FFF7)"},
        {"JPEG lossless frame header", joined({soi, segment(0xC4, {0}), frameHeader(0xC3, 48)}),
         Codestream::Jpeg, 48, nullptr},
    };
    for (const Case& c : cases) {
        const auto why = toolkit::codestreamMismatch(c.kind, c.stream.data(), c.stream.size(),
                                                     {64, c.headerRows, 16, 1});
        if (!c.refusal) {
            EXPECT_FALSE(why) << c.what << ": " << *why;
            continue;
        }
        ASSERT_TRUE(why) << c.what;
        EXPECT_NE(why->find(c.refusal), std::string::npos) << c.what << ": " << *why;
    }
}

// SOC, SIZ for a `rows` × 64 image of 16-bit unsigned samples in one component.
Bytes j2kStart(std::uint8_t rows, bool sizFirst = true) {
    const Bytes soc = {0xFF, 0x4F};
    const Bytes siz = {0xFF, 0x51, 0, 41, 0, 0, 0, 0, 0, 64, 0,  0, 0, rows, 0,
                       0,    0,    0, 0,  0, 0, 0, 0, 0, 0,  64, 0, 0, 0,    rows,
                       0,    0,    0, 0,  0, 0, 0, 0, 0, 1,  15, 1, 1};
    if (sizFirst) return joined({soc, siz});
    return joined({soc, segment(0x64, {0, 1, 'x'}), siz});
}

Bytes box(const char type[5], const Bytes& content) {
    const auto length = static_cast<std::uint32_t>(content.size() + 8);
    return joined(
        {{static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
          static_cast<std::uint8_t>(type[0]), static_cast<std::uint8_t>(type[1]),
          static_cast<std::uint8_t>(type[2]), static_cast<std::uint8_t>(type[3])},
         content});
}

TEST(CodestreamCheck, Jpeg2000SizeSegmentFollowsTheStartAndJp2BoxesAreWalked) {
    const Bytes signature = box("jP  ", {13, 10, 0x87, 10});
    struct Case {
        const char* what;
        Bytes stream;
        const char* refusal;
    };
    const Case cases[] = {
        {"codestream", j2kStart(48), nullptr},
        {"other rows", j2kStart(24), "64 × 24 samples, the header says 64 × 48"},
        {"a segment between SOC and SIZ", j2kStart(48, false), "size segment (FF51)"},
        {"JP2 file",
         joined({signature, box("ftyp", {'j', 'p', '2', ' '}), box("jp2c", j2kStart(48))}),
         nullptr},
        {"JP2 file with a false codestream in an XML box",
         joined({signature, box("xml ", j2kStart(48)), box("jp2c", j2kStart(24))}), "64 × 24"},
        {"JP2 file without a codestream box", joined({signature, box("xml ", j2kStart(48))}),
         "no codestream box"},
    };
    for (const Case& c : cases) {
        const auto why = toolkit::codestreamMismatch(toolkit::Codestream::Jpeg2000, c.stream.data(),
                                                     c.stream.size(), {64, 48, 16, 1});
        if (!c.refusal) {
            EXPECT_FALSE(why) << c.what << ": " << *why;
            continue;
        }
        ASSERT_TRUE(why) << c.what;
        EXPECT_NE(why->find(c.refusal), std::string::npos) << c.what << ": " << *why;
    }
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
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t value;
        const char* refusal;
    };
    for (const Case& c : {Case{"no segments", 0, 0, "gives 0 segments"},
                          Case{"16 segments", 0, 16, "gives 16 segments"},
                          Case{"first segment after byte 64", 4, 65, "segment 1 at byte 65"},
                          Case{"second segment before the first", 8, 60, "segment 2 at byte 60"},
                          Case{"second segment past the end", 8, 200, "segment 2 at byte 200"}}) {
        auto bad = rle;
        bad[c.at] = c.value;
        const auto why = toolkit::codestreamMismatch(toolkit::Codestream::Rle, bad.data(),
                                                     bad.size(), {4, 2, 16, 1});
        ASSERT_TRUE(why) << c.what;
        EXPECT_NE(why->find(c.refusal), std::string::npos) << c.what << ": " << *why;
    }
}

TEST(FrameLocator, OffsetTablesFirstThenCodestreamStarts) {
    // Five fragments of three frames: a JPEG start, bytes 00 00 00 (no start of anything), two
    // more starts. Each fragment is 4 bytes: its item begins 12 bytes after the previous one's.
    const Bytes soi = {0xFF, 0xD8, 0xFF, 0xC3}, zeros = {0x07, 0, 0, 0}, other = {0x12, 0x34, 5, 6};
    const std::vector<const Bytes*> contents = {&soi, &zeros, &soi, &other, &soi};
    std::vector<toolkit::FragmentView> fragments;
    for (std::size_t i = 0; i < contents.size(); ++i)
        fragments.push_back({12 * i, contents[i]->data(), contents[i]->size()});
    using toolkit::Codestream;
    struct Case {
        const char* what;
        toolkit::OffsetTables tables;
        std::int64_t frames;
        Codestream kind;
        std::vector<std::size_t> first;  // empty: refused
    };
    const Case cases[] = {
        {"codestream starts", {}, 3, Codestream::Jpeg, {0, 2, 4}},
        {"basic offset table", {{0, 12, 36}, {}, {}}, 3, Codestream::Jpeg, {0, 1, 3}},
        {"basic table before the extended one",
         {{0, 24, 48}, {0, 12, 36}, {4, 8, 8}},
         3,
         Codestream::Jpeg,
         {0, 2, 4}},
        {"extended offset table", {{}, {0, 12, 36}, {4, 8, 8}}, 3, Codestream::Jpeg, {0, 1, 3}},
        {"extended length beyond the frame", {{}, {0, 12, 36}, {4, 9, 8}}, 3, Codestream::Jpeg, {}},
        {"offset inside a fragment", {{0, 14, 36}, {}, {}}, 3, Codestream::Jpeg, {}},
        {"offsets out of order", {{0, 36, 12}, {}, {}}, 3, Codestream::Jpeg, {}},
        {"first offset past the first fragment", {{12, 24, 36}, {}, {}}, 3, Codestream::Jpeg, {}},
        {"fewer offsets than frames", {{0, 24}, {}, {}}, 3, Codestream::Jpeg, {}},
        {"more starts than frames", {}, 2, Codestream::Jpeg, {}},
        {"one frame", {}, 1, Codestream::Jpeg, {0}},
        {"RLE, one fragment a frame", {}, 5, Codestream::Rle, {0, 1, 2, 3, 4}},
        {"RLE, more fragments than frames", {}, 3, Codestream::Rle, {}},
        {"JPEG 2000 starts none", {}, 3, Codestream::Jpeg2000, {}},
    };
    for (const Case& c : cases) {
        const toolkit::FrameRanges r = toolkit::locateFrames(fragments, c.tables, c.frames, c.kind);
        EXPECT_EQ(r.first, c.first) << c.what;
        EXPECT_EQ(r.refusal.has_value(), c.first.empty()) << c.what;
    }
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
// write it to a temporary file for pvrg-jpeg (installed for every test run) and run that. The
// helper must refuse the file without starting anything, and leave no file behind.
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

    dicom::ToolkitRequest request;
    request.file = test::readBytes(test::testData("encodings/other/jpeg_damaged_soi.dcm"));
    std::string answer;
    const HelperProcess::Failure failure =
        helper->exchange(dicom::encodeRequest(request), answer, 30000);
    if (failure == HelperProcess::Failure::None) {
        EXPECT_EQ(dicom::decodeAnswer(answer).outcome, dicom::ToolkitOutcome::Refused);
    } else {
        // An attempt to start a program ends the helper.
        EXPECT_EQ(failure, HelperProcess::Failure::Sandboxed);
    }
    helper.reset();
    EXPECT_TRUE(fs::is_empty(temporary.path())) << "left behind in " << temporary.path();
}

TEST(ToolkitHelper, ANewHelperServesAfterOneFailed) {
    std::string error;
    std::unique_ptr<HelperProcess> helper = HelperProcess::start(CTIQ_HELPER_PATH, error);
    ASSERT_TRUE(helper) << error;
    dicom::ToolkitRequest request;
    request.file = test::readBytes(test::testData("encodings/rle.dcm"));
    std::string answer;
    // No time to answer: the helper is ended, and it serves no more.
    EXPECT_EQ(helper->exchange(dicom::encodeRequest(request), answer, 0),
              HelperProcess::Failure::TimedOut);
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

namespace ctiq {
namespace {

dicom::ToolkitAnswer fromHelper(const std::string& file, std::uint32_t frame = 0) {
    return readWithToolkitHelper(test::readBytes(test::testData("encodings/" + file)), false,
                                 frame);
}

// Three frames (the phantom, a flat field under its first rows, the phantom inverted) in
// fragments, several a frame; one of the flat frame's JPEG fragments begins 00 00 00. Every frame
// is found, by either offset table or by where the JPEG or HTJ2K streams begin, and equals the
// original.
TEST(ToolkitHelper, FramesOfSeveralFragmentsEqualTheOriginalFrames) {
    std::vector<std::vector<std::uint8_t>> original;
    for (std::uint32_t k = 0; k < 3; ++k) {
        const dicom::ToolkitAnswer a = fromHelper("codestreams/three_frames.dcm", k);
        ASSERT_EQ(a.outcome, dicom::ToolkitOutcome::Decoded) << a.reason;
        original.push_back(a.samples);
    }
    ASSERT_NE(original[0], original[1]);
    for (const char* file :
         {"codestreams/three_frames_jpeg_bot.dcm", "codestreams/three_frames_jpeg_no_bot.dcm",
          "codestreams/three_frames_jpeg_eot.dcm", "codestreams/three_frames_htj2k_no_bot.dcm"}) {
        for (std::uint32_t k = 0; k < 3; ++k) {
            const dicom::ToolkitAnswer a = fromHelper(file, k);
            ASSERT_EQ(a.outcome, dicom::ToolkitOutcome::Decoded) << file << " " << k << a.reason;
            EXPECT_EQ(a.frames, 3) << file;
            EXPECT_TRUE(a.samples == original[k]) << file << " frame " << k + 1;
        }
    }
}

// A comment after the start of image holds a frame header of 24 rows; the stream's own says 48.
// With the header's Rows lowered to 24 the file is refused (it once showed the top 24 rows).
TEST(ToolkitHelper, AFalseFrameHeaderInACommentIsNotTheStreams) {
    const dicom::ToolkitAnswer asWritten = fromHelper("codestreams/jpegls_comment_sof.dcm");
    const dicom::ToolkitAnswer base = fromHelper("explicit_little.dcm");
    ASSERT_EQ(asWritten.outcome, dicom::ToolkitOutcome::Decoded) << asWritten.reason;
    EXPECT_TRUE(asWritten.samples == base.samples);
    const dicom::ToolkitAnswer lowered = fromHelper("codestreams/jpegls_comment_sof_rows24.dcm");
    EXPECT_EQ(lowered.outcome, dicom::ToolkitOutcome::Refused);
    EXPECT_NE(lowered.reason.find("holds 64 × 48 samples, the header says 64 × 24"),
              std::string::npos)
        << lowered.reason;
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Syntaxes only the helper reads, each holding the phantom: HTJ2K (decoded by OpenJPEG, under
// each of its three UIDs), GE's private syntax (big-endian pixel words under an implicit VR
// little-endian data set), explicit VR big endian from byte 0 without a meta group.
TEST(ToolkitHelper, SyntaxesTheToolkitDoesNotKnowOrReadsAlone) {
    const dicom::ToolkitAnswer base = fromHelper("explicit_little.dcm");
    ASSERT_EQ(base.outcome, dicom::ToolkitOutcome::Decoded) << base.reason;
    struct Case {
        const char* file;
        char lastDigit;  // of the HTJ2K UID, rewritten in place; 0 keeps the file
        const char* syntax;
    };
    for (const Case& c :
         {Case{"codestreams/htj2k_lossless.dcm", 0, "HTJ2K Lossless"},
          Case{"codestreams/htj2k_lossless.dcm", '2', "HTJ2K Lossless RPCL"},
          Case{"codestreams/htj2k_lossless.dcm", '3', "HTJ2K"},
          Case{"codestreams/ge_private_big_pixels.dcm", 0, "GE Implicit VR Big Endian"},
          Case{"codestreams/big_endian_no_meta.dcm", 0, "Explicit VR Big Endian"}}) {
        auto bytes = test::readBytes(test::testData(std::string("encodings/") + c.file));
        if (c.lastDigit) {
            const std::string uid = "1.2.840.10008.1.2.4.201";
            const auto at = std::search(bytes.begin(), bytes.end(), uid.begin(), uid.end());
            ASSERT_NE(at, bytes.end());
            at[static_cast<std::ptrdiff_t>(uid.size()) - 1] =
                static_cast<std::uint8_t>(c.lastDigit);
        }
        const dicom::ToolkitAnswer a = readWithToolkitHelper(bytes, true);
        ASSERT_EQ(a.outcome, dicom::ToolkitOutcome::Decoded) << c.syntax << ": " << a.reason;
        EXPECT_EQ(a.syntaxName, c.syntax);
        EXPECT_TRUE(a.samples == base.samples) << c.syntax;
        EXPECT_GT(a.header.rows.size(), 20u) << c.syntax;
    }
}

// The length and value of a meta group element, as written.
std::string lengthAndValue(const std::string& value) {
    return std::string{static_cast<char>(value.size()), '\0'} + value;
}

// A syntax neither the toolkit nor the helper knows, or HTJ2K's UID without its padding (23
// bytes, not 24), is refused by name (once "found no data set").
TEST(ToolkitHelper, SyntaxesItCannotReadAreRefusedByName) {
    struct Case {
        const char* file;
        std::string from, to;
        const char* refusal;
    };
    const std::string pad(1, '\0');
    const Case cases[] = {
        {"explicit_little.dcm", lengthAndValue("1.2.840.10008.1.2.1" + pad),
         lengthAndValue("1.2.840.99999.1.2.1" + pad),
         "transfer syntax 1.2.840.99999.1.2.1 is not supported"},
        {"codestreams/htj2k_lossless.dcm", lengthAndValue("1.2.840.10008.1.2.4.201" + pad),
         lengthAndValue("1.2.840.10008.1.2.4.201"), "HTJ2K Lossless is not supported as written"},
    };
    for (const Case& c : cases) {
        auto bytes = test::readBytes(test::testData(std::string("encodings/") + c.file));
        const auto at = std::search(bytes.begin(), bytes.end(), c.from.begin(), c.from.end());
        ASSERT_NE(at, bytes.end()) << c.file;
        bytes.insert(bytes.erase(at, at + static_cast<std::ptrdiff_t>(c.from.size())), c.to.begin(),
                     c.to.end());
        const dicom::ToolkitAnswer a = readWithToolkitHelper(bytes, false);
        EXPECT_EQ(a.outcome, dicom::ToolkitOutcome::Refused) << c.file;
        EXPECT_NE(a.reason.find(c.refusal), std::string::npos) << c.file << ": " << a.reason;
    }
}

// A 16 × 16 image (its pixels the larger half of the file, so the builder adds no padding) whose
// header describes its samples as given; the rest as a CT slice has it.
std::vector<std::uint8_t> describedAs(std::uint16_t perPixel, const std::string& photometric,
                                      std::uint16_t stored, std::uint16_t highBit,
                                      std::uint16_t representation) {
    test::DicomBuilder b;
    b.us(0x0028, 0x0002, perPixel).explicitElement(0x0028, 0x0004, "CS", photometric);
    b.us(0x0028, 0x0010, 16).us(0x0028, 0x0011, 16).us(0x0028, 0x0100, 16);
    b.us(0x0028, 0x0101, stored).us(0x0028, 0x0102, highBit).us(0x0028, 0x0103, representation);
    return b.withPixels(std::vector<std::int16_t>(16 * 16, 7));
}

TEST(ToolkitHelper, SampleDescriptionsThatCannotBeMeasuredAreRefusedByName) {
    struct Case {
        std::vector<std::uint8_t> file;
        const char* refusal;  // nullptr: decoded
    };
    const Case cases[] = {
        {describedAs(1, "MONOCHROME2", 16, 15, 0), nullptr},
        {describedAs(1, "MONOCHROME1", 12, 11, 1), nullptr},
        {describedAs(3, "RGB ", 16, 15, 0), "colour image (3 samples per pixel)"},
        // Counts the toolkit stops on with an assertion of its own: refused before it.
        {describedAs(2, "MONOCHROME2", 16, 15, 0), "it has 2 samples per pixel"},
        {describedAs(5, "MONOCHROME2", 16, 15, 0), "it has 5 samples per pixel"},
        {describedAs(1, "RGB ", 16, 15, 0), "photometric interpretation is RGB;"},
        {describedAs(1, "PALETTE COLOR ", 16, 15, 0), "is PALETTE COLOR;"},
        {describedAs(1, "MONOCHROME2", 17, 16, 0), "stores 17 bits (BitsStored) in samples of 16"},
        {describedAs(1, "MONOCHROME2", 12, 15, 0), "HighBit 15 for 12 bits stored; it must be 11"},
        {describedAs(1, "MONOCHROME2", 16, 15, 2), "PixelRepresentation 2;"},
    };
    for (const Case& c : cases) {
        const dicom::ToolkitAnswer a = readWithToolkitHelper(c.file, false);
        const std::string what = c.refusal ? c.refusal : "as a CT slice";
        if (!c.refusal) {
            EXPECT_EQ(a.outcome, dicom::ToolkitOutcome::Decoded) << what << ": " << a.reason;
            continue;
        }
        EXPECT_EQ(a.outcome, dicom::ToolkitOutcome::Refused) << what;
        EXPECT_NE(a.reason.find(c.refusal), std::string::npos) << what << ": " << a.reason;
    }
}

}  // namespace
}  // namespace ctiq
