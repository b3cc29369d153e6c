#include "viewer/dicom/dicom_header.h"

#include <gtest/gtest.h>

#include "tests/support/dicom_builder.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

using test::DicomBuilder;

DicomHeaderResult read(const std::vector<std::uint8_t>& bytes) {
    return readDicomHeader(bytes.data(), bytes.size(), TagDictionary::builtIn());
}

DicomHeaderResult readFile(const std::string& relative) {
    return read(test::readBytes(test::testData(relative)));
}

std::string opt(const std::optional<std::string>& v) {
    return v ? *v : "<unset>";
}

// Field values checked against pydicom 2.3.1 for the same files (Pixel Data value offset =
// tag offset + 12 in explicit VR, + 8 in implicit VR).
struct FileCase {
    const char* file;
    bool pixelDataFound;
    const char* header;
    const char* columns;
    const char* rows;
    const char* spacing;
    const char* offset;
    const char* fieldOfView;
    const char* level;
    const char* width;
    int swap;  // -1 unset
    std::size_t rowCount;
};

class RealFiles : public ::testing::TestWithParam<FileCase> {};

TEST_P(RealFiles, HeaderFieldsMatchTheReferenceReader) {
    const FileCase& c = GetParam();
    const DicomHeaderResult r = readFile(c.file);
    EXPECT_EQ(r.pixelDataFound, c.pixelDataFound);
    EXPECT_FALSE(r.error) << *r.error;
    EXPECT_EQ(opt(r.fields.header), c.header);
    EXPECT_EQ(opt(r.fields.columns), c.columns);
    EXPECT_EQ(opt(r.fields.rows), c.rows);
    EXPECT_EQ(opt(r.fields.pixelSpacing), c.spacing);
    EXPECT_EQ(opt(r.fields.offset), c.offset);
    EXPECT_EQ(opt(r.fields.fieldOfView), c.fieldOfView);
    EXPECT_EQ(opt(r.fields.windowLevel), c.level);
    EXPECT_EQ(opt(r.fields.windowWidth), c.width);
    EXPECT_EQ(r.fields.swap ? int{*r.fields.swap} : -1, c.swap);
    EXPECT_EQ(r.rows.size(), c.rowCount);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RealFiles,
    ::testing::Values(
        FileCase{"dicom/CT_small.dcm", true, "6300", "128", "128", "0.661468", "-1024",
                 "338.671600", "<unset>", "<unset>", 0, 254},
        FileCase{"dicom/MR_small_implicit.dcm", true, "1510", "64", "64", "0.3125", "0", "", "600",
                 "1600", 0, 65},
        // Cut short inside Pixel Data: the header is whole; the rendering reports the rest.
        FileCase{"dicom/MR_truncated.dcm", true, "1500", "64", "64", "0.3125", "0", "", "600",
                 "1600", 0, 65},
        // Big endian: the Pixel Data tag bytes are swapped, so the reader finds no tag.
        FileCase{"dicom/MR_small_bigendian.dcm", false, "", "", "", "<unset>", "0", "", "<unset>",
                 "<unset>", -1, 0},
        // Pixel Data in the second half of the file.
        FileCase{"dicom/nested_priv_SQ.dcm", false, "", "", "", "<unset>", "0", "", "<unset>",
                 "<unset>", -1, 0},
        FileCase{"phantoms/point.dcm", true, "1040", "256", "256", "0.5", "-1024", "128", "1500",
                 "3000", 0, 46}));

TEST(DicomHeader, CtSmallTableRowsAndSummary) {
    const DicomHeaderResult r = readFile("dicom/CT_small.dcm");
    ASSERT_EQ(r.rows.size(), 254u);
    EXPECT_EQ(r.rows.front(), (HeaderRow{"  1", "0002", "0002", "UI", "001A",
                                         "MediaStorageSOPClassUID", "1.2.840.10008.5.1.4.1.1.2"}));
    // The sequence row carries no number but takes one.
    EXPECT_EQ(r.rows[39], (HeaderRow{"", "0010", "1002", "SQ", "", "", ""}));
    EXPECT_EQ(r.rows[40][0], " 41");
    EXPECT_EQ(r.rows[192], (HeaderRow{"193", "0028", "0010", "US", "0002", "Rows", "128"}));
    const HeaderRow& last = r.rows.back();
    EXPECT_EQ(last[1], "7FE0");
    EXPECT_EQ(last[2], "0010");
    EXPECT_EQ(last[3], "OW");
    EXPECT_EQ(last[4], "8000");  // low half of the 32768-byte length
    EXPECT_EQ(last[5], "");
    EXPECT_EQ(r.summary,
              "RHAPSODE\r\nmmST : 5.000000\r\nkV : 120 \r\nmmFOV : 338.671600\r\nmAs : 170 \r\n"
              "RF : STANDARD\r\nDspMtrx : 128\r\nmmPSize : 0.661468\\0.661468 \r\n");
}

TEST(DicomHeader, ImplicitVrRowsHaveNoVrAndNumbersOnlyAboveGroup0020) {
    const DicomHeaderResult r = readFile("dicom/MR_small_implicit.dcm");
    EXPECT_EQ(r.rows[14], (HeaderRow{" 15", "0008", "0060", "", "0002", "Modality", "MR"}));
    EXPECT_EQ(r.rows[53], (HeaderRow{" 54", "0028", "0010", "", "0002", "Rows", "64"}));
    EXPECT_EQ(r.rows.back()[4], "2000");
}

TEST(DicomHeader, FieldRulesOnASyntheticFile) {
    DicomBuilder b("1.2.840.10008.1.2.2");
    b.us(0x0028, 0x0010, 5)     // rows
        .us(0x0028, 0x0011, 3)  // columns: a non-square image keeps its order
        .explicitElement(0x0028, 0x1052, "DS", "-1024.5 ")
        .explicitElement(0x0028, 0x1050, "DS", "40\\50 ")
        .explicitElement(0x0028, 0x1051, "DS", "400\\500 ")
        .explicitElement(0x0018, 0x1100, "DS", " 250 ")
        .explicitElement(0x0018, 0x7022, "DS", "0.25\\0.25 ")
        .us(0x0028, 0x1053, 0xFFFF);  // RescaleSlope keeps its characters
    const DicomHeaderResult r = read(b.withPixels(std::vector<std::int16_t>(15, 0)));
    ASSERT_FALSE(r.error) << *r.error;
    EXPECT_EQ(opt(r.fields.rows), "5");
    EXPECT_EQ(opt(r.fields.columns), "3");
    EXPECT_EQ(opt(r.fields.offset), "-1024");
    EXPECT_EQ(opt(r.fields.windowLevel), "40");
    EXPECT_EQ(opt(r.fields.windowWidth), "400");
    EXPECT_EQ(opt(r.fields.fieldOfView), "250");
    EXPECT_EQ(opt(r.fields.pixelSpacing), "0.25");
    EXPECT_EQ(r.fields.swap, std::optional<bool>(true));
    EXPECT_EQ(r.rows[2][6], "5");
    EXPECT_EQ(r.rows[9][6], std::string("\xFF\xFF"));
}

TEST(DicomHeader, TransferSyntaxSetsSwap) {
    for (auto [uid, swap] : {std::pair<const char*, int>{"1.2.840.10008.1.2", 0},
                             {"1.2.840.10008.1.2.1", 0},
                             {"1.2.840.10008.1.2.2", 1},
                             {"1.2.840.10008.1.2.4.50", -1}}) {
        const DicomHeaderResult r = read(DicomBuilder(uid).withPixels({0}));
        EXPECT_EQ(r.fields.swap ? int{*r.fields.swap} : -1, swap) << uid;
    }
}

TEST(DicomHeader, ZeroLengthElementsGetNoRowAndNumbersStayConsecutive) {
    DicomBuilder b;
    b.explicitElement(0x0008, 0x0050, "SH", "").explicitElement(0x0008, 0x0060, "CS", "CT");
    const DicomHeaderResult r = read(b.withPixels({0}));
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.rows[2], (HeaderRow{"  3", "0008", "0060", "CS", "0002", "Modality", "CT"}));
    EXPECT_EQ(r.rows[3][0], "  4");
}

TEST(DicomHeader, UndefinedLengthSequenceWithTwoItems) {
    using B = DicomBuilder;
    DicomBuilder b;
    b.raw(B::tag(0x0008, 0x1140)).raw({'S', 'Q', 0, 0}).raw(B::u32(0xFFFFFFFF));
    b.raw(B::tag(0xFFFE, 0xE000)).raw(B::u32(0xFFFFFFFF));
    b.explicitElement(0x0008, 0x1150, "UI", "1.2.3.4 ");
    b.raw(B::tag(0xFFFE, 0xE00D)).raw(B::u32(0));
    b.raw(B::tag(0xFFFE, 0xE000)).raw(B::u32(0xFFFFFFFF));
    b.explicitElement(0x0008, 0x1150, "UI", "5.6 ");
    b.raw(B::tag(0xFFFE, 0xE00D)).raw(B::u32(0));
    b.raw(B::tag(0xFFFE, 0xE0DD)).raw(B::u32(0));
    b.explicitElement(0x0008, 0x0060, "CS", "CT");
    const DicomHeaderResult r = read(b.withPixels({0}));
    ASSERT_FALSE(r.error);
    ASSERT_EQ(r.rows.size(), 8u);
    EXPECT_EQ(r.rows[2], (HeaderRow{"", "0008", "1140", "SQ", "", "", ""}));
    EXPECT_EQ(r.rows[3],
              (HeaderRow{"  4", "0008", "1150", "UI", "0008", "ReferencedSOPClassUID", "1.2.3.4"}));
    EXPECT_EQ(r.rows[4][6], "5.6");
    EXPECT_EQ(r.rows[5], (HeaderRow{"", "", "", "SQ", "", "", ""}));
    EXPECT_EQ(r.rows[6], (HeaderRow{"  7", "0008", "0060", "CS", "0002", "Modality", "CT"}));
}

TEST(DicomHeader, SummaryLabelsHonourTheirGroups) {
    DicomBuilder b;
    b.explicitElement(0x0008, 0x0060, "CS", "CT")  // element 0060 of group 0008 is no kV
        .explicitElement(0x0018, 0x0060, "DS", "120 ")
        .explicitElement(0x0008, 0x1090, "LO", "MODEL ")
        .explicitElement(0x0009, 0x1210, "LO", "PRIVATE ");  // 1210 counts in any group
    const DicomHeaderResult r = read(b.withPixels({0}));
    EXPECT_EQ(r.summary, "MODEL \r\nkV : 120 \r\nRF : PRIVATE \r\n");
}

TEST(DicomHeader, ConversionErrorStopsTheWalkAndKeepsThePreparedTable) {
    DicomBuilder b;
    b.us(0x0028, 0x0010, 4).explicitElement(0x0028, 0x1052, "DS", "abc ").us(0x0028, 0x0011, 4);
    const DicomHeaderResult r = read(b.withPixels({0}));
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "'abc' は浮動小数点数ではありません");
    EXPECT_EQ(opt(r.fields.rows), "4");
    EXPECT_EQ(opt(r.fields.columns), "");
    EXPECT_EQ(r.rows.size(), 1023u);
    EXPECT_EQ(r.rows[2][5], "Rows");

    DicomBuilder dims;
    dims.explicitElement(0x0018, 0x7026, "DS", "12.5 ");  // one value, no backslash
    EXPECT_EQ(opt(read(dims.withPixels({0})).error), "'' は浮動小数点数ではありません");
    DicomBuilder goodDims;
    goodDims.explicitElement(0x0018, 0x7026, "DS", "400\\300 ");
    EXPECT_FALSE(read(goodDims.withPixels({0})).error);
}

TEST(DicomHeader, ElementRunningPastTheEndStopsWithAMessage) {
    DicomBuilder b;
    b.explicitElement(0x0008, 0x0060, "CS", "CT");
    std::vector<std::uint8_t> bytes = b.bytes();
    const auto tag = DicomBuilder::tag(0x0008, 0x0070);
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    bytes.insert(bytes.end(), {'L', 'O', 0x00, 0x70});  // 28672 bytes claimed
    bytes.insert(bytes.end(), {0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 2, 0, 0, 0, 1, 0});
    bytes.resize(bytes.size() * 2 + 8, 0);
    const DicomHeaderResult r = read(bytes);
    ASSERT_TRUE(r.error);
    EXPECT_NE(r.error->find("(0008,0070)"), std::string::npos) << *r.error;
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[2][5], "Modality");
}

TEST(DicomHeader, LongHeadersGrowTheTable) {
    DicomBuilder b;
    for (int i = 0; i < 1100; ++i)
        b.explicitElement(0x0009, static_cast<std::uint16_t>(0x1000 + i), "LO", "ab");
    const DicomHeaderResult r = read(b.withPixels({0}));
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.rows.size(), 1103u);
    EXPECT_EQ(r.rows[1099][0], "1100");
}

TEST(DicomHeader, TinyAndHeaderlessDataStayInside) {
    for (std::size_t n : {0, 1, 3, 4, 7, 8, 9}) {
        std::vector<std::uint8_t> bytes(n, 0);
        if (n >= 4) std::copy_n(std::begin({0xE0, 0x7F, 0x10, 0x00}), 0, bytes.begin());
        EXPECT_FALSE(read(bytes).pixelDataFound) << n;
    }
    // A Pixel Data tag but no file meta header to start from: an empty table.
    std::vector<std::uint8_t> bare = {0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 2, 0, 0, 0, 5, 0};
    bare.resize(40, 0);
    const DicomHeaderResult r = read(bare);
    EXPECT_TRUE(r.pixelDataFound);
    EXPECT_EQ(opt(r.fields.header), "12");
    EXPECT_TRUE(r.rows.empty());
    EXPECT_FALSE(r.error);
}

}  // namespace
}  // namespace ctiq
