#include "load/load_plan.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "load/headless_load.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/test_files.h"
#include "viewer/load_placement.h"
#include "viewer/roi_statistics.h"

namespace ctiq {
namespace {

// A name's geometry is for raw files: a DICOM file's header wins over a name that looks like one
// (its header bytes were once measured as pixels), and words in a name make no geometry.
TEST(LoadPlan, TheHeaderOfADicomFileGoesBeforeItsName) {
    const ImageBytes ct = test::readBytes(test::testData("dicom/CT_small.dcm"));
    const ImageBytes raw(64 * 32 * 2, 1);
    const struct {
        const char* name;
        const ImageBytes* bytes;
        LoadMode mode;
        bool header;  // the DICOM header was read
        const char* columns;
        const char* rows;
    } cases[] = {
        {"/d/ct 64 32 0p5.dcm", &ct, LoadMode::Dicom, true, "128", "128"},
        {"/d/slice 256 256 0p5.dcm", &ct, LoadMode::Dicom, true, "128", "128"},
        {"/d/CT head 2 mm.dcm", &ct, LoadMode::Dicom, true, "128", "128"},
        {"/d/CT_small.dcm", &ct, LoadMode::Dicom, true, "128", "128"},
        {"/d/raw 64 32 0p5.raw", &raw, LoadMode::Dicom, false, "64", "32"},
        {"/d/ct 64 32 0p5.dcm", &ct, LoadMode::Word16, false, "64", "32"},
        {"/d/CT head 2 mm.raw", &raw, LoadMode::Word16, false, "", ""},
    };
    for (const auto& c : cases) {
        const LoadPlan plan = planLoad(c.name, *c.bytes, c.mode);
        EXPECT_EQ(plan.dicom.has_value() && plan.dicom->walked, c.header) << c.name;
        EXPECT_EQ(plan.columns, c.columns) << c.name;
        EXPECT_EQ(plan.rows, c.rows) << c.name;
        if (c.header) {
            EXPECT_NO_THROW(requireShowable(plan)) << c.name;
        }
    }
}

TEST(LoadPlan, RawModesNeverReadAHeaderAndOfferASquareThatFits) {
    const ImageBytes ct = test::readBytes(test::testData("dicom/CT_small.dcm"));
    const LoadPlan plan = planLoad("/d/CT_small.dcm", ct, LoadMode::Word16);
    EXPECT_FALSE(plan.dicom);
    EXPECT_TRUE(plan.needsSize());
    EXPECT_EQ(plan.suggestion, sizeSuggestion(static_cast<std::int64_t>(ct.size()), 2));
    const ImageBytes square(64 * 64, 0);
    EXPECT_EQ(planLoad("/d/x.raw", square, LoadMode::Byte8).suggestion, "64 64");
}

TEST(LoadPlan, CompressedPixelsStopTheLoadAfterTheHeader) {
    const ImageBytes bytes = test::DicomBuilder("1.2.840.10008.1.2.5")
                                 .us(0x0028, 0x0010, 4)
                                 .us(0x0028, 0x0011, 4)
                                 .withPixels(std::vector<std::int16_t>(16, 0));
    const LoadPlan plan = planLoad("/d/rle.dcm", bytes, LoadMode::Dicom);
    ASSERT_TRUE(plan.dicom);
    EXPECT_FALSE(plan.dicom->rows.empty());
    EXPECT_THROW(requireShowable(plan), AppError);
}

TEST(LoadDefaults, CentredRoiAndTheFixedWindow) {
    const RoiFields roi = defaultRoi(512, 301);
    EXPECT_EQ(roi.centreX, 256);
    EXPECT_EQ(roi.centreY, 150);
    EXPECT_EQ(roi.width, 256);
    EXPECT_EQ(kDefaultWindow.level, 512);
    EXPECT_EQ(kDefaultWindow.width, 1024);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Implicit VR says nothing of how a value is stored: the data dictionary does. A Canon-like
// slice with the intercept "0 " (DS, two characters) and values already in HU was read with the
// text "0 " taken for the binary word 0x2030 = 8240, added to every sample.
TEST(LoadPlan, ImplicitVrValuesAreReadByTheirDictionaryVr) {
    const std::string path = test::testData("encodings/canon_implicit_hu.dcm");
    const LoadedImage image = loadImageHeadless(path, LoadMode::Dicom, {});
    EXPECT_EQ(image.reader, "the header scanner");
    EXPECT_EQ(image.offset, 0);
    const RoiPlacement roi = placeRoi(image.layout, 30, 22, 20, 16);
    const RoiStatistics s =
        computeRoiStatistics(image.bytes.data(), image.layout, roi.block, image.valueRule());
    EXPECT_DOUBLE_EQ(s.mean, 1085.26875);  // pydicom over the same 20 × 16 samples
    ASSERT_TRUE(image.dicom);
    auto value = [&](const char* group, const char* element) {
        for (const HeaderRow& row : image.dicom->rows)
            if (row[1] == group && row[2] == element) return row[6];
        return std::string("<none>");
    };
    EXPECT_EQ(value("0028", "1052"), "0");   // DS: text
    EXPECT_EQ(value("0028", "1050"), "40");  // DS: text, not the word 0x3034
    EXPECT_EQ(value("0028", "0010"), "48");  // US: a number
    EXPECT_EQ(value("0028", "0103"), "1");
}

// A DICOM file without an image lists its header and says what it is; nothing asks for a size.
TEST(LoadPlan, NonImageFilesListTheirHeaderAndSaySo) {
    const ImageBytes plan = test::readBytes(test::testData("dicom/rtplan.dcm"));
    const LoadPlan read = planLoad("/d/rtplan.dcm", plan, LoadMode::Dicom);
    ASSERT_TRUE(read.dicom);
    EXPECT_TRUE(read.noImage);
    EXPECT_FALSE(read.needsSize());
    EXPECT_TRUE(read.dicom->walked);
    EXPECT_GT(read.dicom->rows.size(), 30u);
    try {
        requireShowable(read);
        ADD_FAILURE() << "an RT plan was taken for an image";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), messages::noImageInFile("RT Plan Storage"));
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST(LoadPlan, TheScannerReadsAnImplicitVrSliceWhosePixelLengthHasAZeroLowHalf) {
    // 256 × 256 words: 131072 bytes, 0x00020000, whose low 16 bits are 0 — as for every 512 × 512
    // slice. A sequence of defined length before the pixels, as real slices carry.
    using test::DicomBuilder;
    DicomBuilder b("1.2.840.10008.1.2");
    b.implicitElement(0x0008, 0x0060, "CT");
    const std::string uid = "1.2.3.4 ";
    std::vector<std::uint8_t> item = DicomBuilder::tag(0x0008, 0x1155);
    for (auto byte : DicomBuilder::u32(static_cast<std::uint32_t>(uid.size()))) item.push_back(byte);
    item.insert(item.end(), uid.begin(), uid.end());
    std::vector<std::uint8_t> sequence = DicomBuilder::tag(0xFFFE, 0xE000);
    for (auto byte : DicomBuilder::u32(static_cast<std::uint32_t>(item.size()))) sequence.push_back(byte);
    sequence.insert(sequence.end(), item.begin(), item.end());
    b.raw(DicomBuilder::tag(0x0008, 0x1140)).raw(DicomBuilder::u32(static_cast<std::uint32_t>(sequence.size())));
    b.raw(sequence);
    b.implicitElement(0x0028, 0x0010, std::string("\x00\x01", 2));
    b.implicitElement(0x0028, 0x0011, std::string("\x00\x01", 2));
    b.implicitElement(0x0028, 0x1052, "-1024 ");
    std::vector<std::uint8_t> bytes = b.bytes();
    for (auto part : {DicomBuilder::tag(0x7FE0, 0x0010), DicomBuilder::u32(256 * 256 * 2)})
        bytes.insert(bytes.end(), part.begin(), part.end());
    bytes.resize(bytes.size() + 256 * 256 * 2, 0x01);

    const LoadPlan plan = planLoad("/d/slice.dcm", bytes, LoadMode::Dicom, false);
    EXPECT_NO_THROW(requireShowable(plan));
    EXPECT_FALSE(plan.readByToolkit) << plan.scannerDeclined;
    EXPECT_EQ(plan.readerName(), "the header scanner");
    EXPECT_EQ(plan.columns, "256");
    EXPECT_EQ(*plan.dicom->fields.offset, "-1024");
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Explicit VR big endian from byte 0, without preamble and meta group: read by the toolkit, not
// taken for a raw file whose size must be asked.
TEST(LoadPlan, ABigEndianDataSetWithoutMetaIsReadAsDicom) {
    std::vector<std::uint8_t> b;
    auto be16 = [&](unsigned v) {
        b.push_back(static_cast<std::uint8_t>(v >> 8));
        b.push_back(static_cast<std::uint8_t>(v));
    };
    auto element = [&](unsigned group, unsigned number, const char* vr, unsigned length) {
        be16(group);
        be16(number);
        b.push_back(static_cast<std::uint8_t>(vr[0]));
        b.push_back(static_cast<std::uint8_t>(vr[1]));
        be16(length);
    };
    element(0x0008, 0x0016, "UI", 26);
    for (char c : std::string("1.2.840.10008.5.1.4.1.1.2", 26)) b.push_back(static_cast<std::uint8_t>(c));
    element(0x0008, 0x0060, "CS", 2);
    b.push_back('C');
    b.push_back('T');
    for (auto [number, value] : {std::pair{0x0002u, 1u}, {0x0010u, 4u}, {0x0011u, 4u},
                                 {0x0100u, 16u}, {0x0101u, 16u}, {0x0102u, 15u}, {0x0103u, 1u}}) {
        element(0x0028, number, "US", 2);
        be16(value);
    }
    element(0x0028, 0x0004, "CS", 12);
    for (char c : std::string("MONOCHROME2 ")) b.push_back(static_cast<std::uint8_t>(c));
    be16(0x7FE0);
    be16(0x0010);
    b.push_back('O');
    b.push_back('W');
    be16(0);
    be16(0);
    be16(32);
    for (int k = 0; k < 16; ++k) be16(static_cast<unsigned>(100 * k));

    const LoadPlan plan = planLoad("/d/big endian.dcm", b, LoadMode::Dicom, false);
    ASSERT_TRUE(plan.dicom);
    EXPECT_FALSE(plan.needsSize());
    EXPECT_NO_THROW(requireShowable(plan));
    ASSERT_TRUE(plan.decoded);
    const std::vector<std::uint8_t>& words = plan.decoded->samples;
    ASSERT_EQ(words.size(), 32u);
    EXPECT_EQ(words[2 * 15] | words[2 * 15 + 1] << 8, 1500);  // little endian after the toolkit
}

}  // namespace
}  // namespace ctiq
