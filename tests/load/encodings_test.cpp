// One CT-like phantom in every encoding the viewer opens (tools/fixtures/make_dicom_encodings.sh):
// each must give the same geometry, the same statistics, automatic window and trimmed samples
// as the uncompressed file, to the last bit, in the headless load and in the window.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

#include "common/app_error.h"
#include "load/dicom/tag_dictionary.h"
#include "load/headless_load.h"
#include "load/load_plan.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/auto_window.h"
#include "viewer/load_placement.h"
#include "viewer/roi_statistics.h"
#include "viewer/trimming.h"

namespace ctiq {
namespace {

struct Encoding {
    const char* file;
    const char* reader;  // which reader gives the image
};

const Encoding kEncodings[] = {
    {"explicit_little.dcm", "the header scanner"},
    {"implicit_little.dcm", "the header scanner"},
    {"ge_implicit_sequences.dcm", "the header scanner"},
    {"no_meta.dcm", "the header scanner"},
    {"pixels_in_second_half.dcm", "the DICOM toolkit (Explicit VR Little Endian)"},
    {"explicit_big.dcm", "the DICOM toolkit (Explicit VR Big Endian)"},
    {"deflated.dcm", "the DICOM toolkit (Deflated Explicit VR Little Endian)"},
    {"rle.dcm", "the DICOM toolkit (RLE Lossless)"},
    {"jpeg_lossless.dcm", "the DICOM toolkit (JPEG Lossless)"},
    {"jpegls_lossless.dcm", "the DICOM toolkit (JPEG-LS Lossless)"},
    {"j2k_lossless.dcm", "the DICOM toolkit (JPEG 2000 Lossless)"},
    // Re-encoded by gdcmconv with GE's private sequences as UN of undefined length.
    {"ge_un_jpeg.dcm", "the DICOM toolkit (JPEG Lossless)"},
    {"ge_un_jpegls.dcm", "the DICOM toolkit (JPEG-LS Lossless)"},
    {"ge_un_j2k.dcm", "the DICOM toolkit (JPEG 2000 Lossless)"},
    {"ge_un_rle.dcm", "the DICOM toolkit (RLE Lossless)"},
    // Syntaxes the toolkit does not know (HTJ2K, decoded by OpenJPEG) or reads alone.
    {"codestreams/htj2k_lossless.dcm", "the DICOM toolkit (HTJ2K Lossless)"},
    {"codestreams/ge_private_big_pixels.dcm", "the DICOM toolkit (GE Implicit VR Big Endian)"},
};

struct Measured {
    std::int32_t columns = 0, rows = 0;
    std::string spacing;
    std::int32_t offset = 0;
    double mean = 0, sd = 0;
    GreyWindow window;
    std::vector<std::uint8_t> trimmed;
    bool operator==(const Measured&) const = default;
};

Measured measure(const LoadedImage& image) {
    Measured m;
    m.columns = image.layout.columns;
    m.rows = image.layout.rows;
    m.spacing = image.spacingText;
    m.offset = image.offset;
    const RoiPlacement roi = placeRoi(image.layout, 30, 22, 20, 16);
    requireBlockInside(roi.block, image.layout, image.bytes.size());
    const RoiStatistics s =
        computeRoiStatistics(image.bytes.data(), image.layout, roi.block, image.valueRule());
    m.mean = s.mean;
    m.sd = s.sd;
    m.window =
        computeAutoWindow(image.bytes.data(), image.bytes.size(), image.layout, image.valueRule())
            .value_or(GreyWindow{});
    m.trimmed = trimmedSamples(image.bytes.data(), image.layout, roi.block);
    return m;
}

std::string encoded(const char* file) {
    return test::testData(std::string("encodings/") + file);
}

TEST(Encodings, EveryEncodingGivesTheSameMeasurements) {
    const Measured reference =
        measure(loadImageHeadless(encoded("explicit_little.dcm"), LoadMode::Dicom, {}));
    EXPECT_EQ(reference.columns, 64);
    EXPECT_EQ(reference.rows, 48);
    EXPECT_EQ(reference.spacing, "0.5");
    EXPECT_EQ(reference.offset, -1024);
    EXPECT_GT(reference.sd, 5);  // a point on noise: nothing trivial to agree on
    for (const Encoding& e : kEncodings) {
        LoadedImage image;
        ASSERT_NO_THROW(image = loadImageHeadless(encoded(e.file), LoadMode::Dicom, {})) << e.file;
        EXPECT_EQ(image.reader, e.reader) << e.file;
        EXPECT_TRUE(measure(image) == reference) << e.file;
        ASSERT_TRUE(image.dicom) << e.file;
        EXPECT_GT(image.dicom->rows.size(), 20u) << e.file;  // the header is listed
    }
}

class EncodingsInTheViewer : public test::WindowTest {};

TEST_F(EncodingsInTheViewer, OpenWithoutASizePromptAndMeasureAlike) {
    std::vector<std::string> shown;
    for (const Encoding& e : kEncodings) {
        load(copyToFolder(std::string("encodings/") + e.file,
                          std::filesystem::path(e.file).filename().string()),
             2);
        ASSERT_TRUE(errors().empty()) << e.file << ": " << errors()[0];
        setRoi(30, 22, 20, 16);
        viewer.ButtonAutoWL->click();
        viewer.ButtonStat->click();
        shown.push_back(field(viewer.EditImgSizeX) + " " + field(viewer.EditImgSizeY) + " " +
                        field(viewer.EditPxlSpc) + " " + field(viewer.EditWindowLevel) + " " +
                        field(viewer.EditWindowWidth) + " " + field(viewer.EditHSBP) + " " +
                        field(viewer.EditVSBP));
        EXPECT_EQ(shown.back(), shown.front()) << e.file;
        const bool decoded = std::string(e.reader).rfind("the DICOM toolkit", 0) == 0;
        EXPECT_EQ(viewer.Memo1->toPlainText().startsWith("decoded: "), decoded) << e.file;
    }
    EXPECT_TRUE(dialogs->inputRequests.empty());
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST(Encodings, MultiFrameShowsTheFirstFrameAndSaysHowManyColourIsRefused) {
    const LoadedImage frames =
        loadImageHeadless(encoded("other/two_frames_jpeg.dcm"), LoadMode::Dicom, {});
    const LoadedImage single =
        loadImageHeadless(encoded("explicit_little.dcm"), LoadMode::Dicom, {});
    EXPECT_EQ(frames.bytes.size(), 64u * 48u * 2u);
    EXPECT_TRUE(measure(frames) == measure(single));  // frame 1 is the phantom
    ASSERT_TRUE(frames.dicom);
    EXPECT_EQ(frames.dicom->summary.rfind("decoded: JPEG Lossless (frame 1 of 2)\r\n", 0), 0u);

    try {
        loadImageHeadless(encoded("other/colour_rle.dcm"), LoadMode::Dicom, {});
        ADD_FAILURE() << "a colour image was loaded";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("colour image (3 samples per pixel)"),
                  std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The header's Rows, Columns or BitsAllocated changed over an intact compressed stream: the
// toolkit would decode what the stream says (or overrun a buffer of the header's size); the
// file is refused instead, with the header listed.
TEST(Encodings, CompressedDataThatDisagreesWithItsHeaderIsRefused) {
    struct Case {
        const char* file;
        std::uint16_t element;  // of group 0028, a US value
        std::uint16_t value;
    };
    for (const Case& c :
         {Case{"jpeg_lossless.dcm", 0x0010, 96}, Case{"jpegls_lossless.dcm", 0x0011, 32},
          Case{"j2k_lossless.dcm", 0x0010, 1024}, Case{"rle.dcm", 0x0010, 24},
          Case{"rle.dcm", 0x0100, 8}, Case{"j2k_lossless.dcm", 0x0100, 8}}) {
        ImageBytes bytes = test::readBytes(encoded(c.file));
        const std::uint8_t key[6] = {0x28,
                                     0x00,
                                     static_cast<std::uint8_t>(c.element),
                                     static_cast<std::uint8_t>(c.element >> 8),
                                     'U',
                                     'S'};
        const auto at = std::search(bytes.begin(), bytes.end(), key, key + 6);
        ASSERT_NE(at, bytes.end()) << c.file;
        at[8] = static_cast<std::uint8_t>(c.value);
        at[9] = static_cast<std::uint8_t>(c.value >> 8);
        const LoadPlan plan = planLoad("mutant.dcm", bytes, LoadMode::Dicom);
        const std::string what = std::string(c.file) + " (0028," + hex4(c.element) + ")";
        EXPECT_FALSE(plan.decoded) << what;
        ASSERT_TRUE(plan.refusal) << what;
        EXPECT_NE(plan.refusal->find("header"), std::string::npos) << what << ": " << *plan.refusal;
        ASSERT_TRUE(plan.dicom) << what;
        EXPECT_GT(plan.dicom->rows.size(), 20u) << what;
    }
}

}  // namespace
}  // namespace ctiq
