#include "load/dicom/dicom_header.h"

#include <gtest/gtest.h>

#include <algorithm>

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
                 "338.671600", "<unset>", "<unset>", 0, 256},
        FileCase{"dicom/MR_small_implicit.dcm", true, "1510", "64", "64", "0.3125", "0", "", "600",
                 "1600", 0, 65},
        // Cut short inside Pixel Data: the header is whole; the rendering reports the rest.
        FileCase{"dicom/MR_truncated.dcm", true, "1500", "64", "64", "0.3125", "0", "", "600",
                 "1600", 0, 65},
        // Big endian: the Pixel Data tag bytes are swapped, so the reader finds no tag; the file
        // says it is DICOM, so its meta group is listed (the toolkit reads the rest).
        FileCase{"dicom/MR_small_bigendian.dcm", false, "", "", "", "<unset>", "0", "", "<unset>",
                 "<unset>", 1, 8},
        // Pixel Data in the second half of the file: the walk stops where it meets it.
        FileCase{"dicom/nested_priv_SQ.dcm", false, "", "", "", "<unset>", "0", "", "<unset>",
                 "<unset>", 0, 8},
        FileCase{"phantoms/point.dcm", true, "1040", "256", "256", "0.5", "-1024", "128", "1500",
                 "3000", 0, 46}));

TEST(DicomHeader, CtSmallTableRowsAndSummary) {
    const DicomHeaderResult r = readFile("dicom/CT_small.dcm");
    ASSERT_EQ(r.rows.size(), 256u);
    EXPECT_EQ(r.rows.front(), (HeaderRow{"  1", "0002", "0002", "UI", "001A",
                                         "MediaStorageSOPClassUID", "1.2.840.10008.5.1.4.1.1.2"}));
    // The sequence row carries no number but takes one.
    EXPECT_EQ(r.rows[39], (HeaderRow{"", "0010", "1002", "SQ", "", "", ""}));
    EXPECT_EQ(r.rows[40][0], " 41");
    // Both items of the defined-length sequence are listed, then the row that closes it.
    EXPECT_EQ(r.rows[42], (HeaderRow{" 43", "0010", "0020", "LO", "0008", "PatientID", "1234ABCD"}));
    EXPECT_EQ(r.rows[44], (HeaderRow{"", "", "", "SQ", "", "", ""}));
    EXPECT_EQ(r.rows[194], (HeaderRow{"195", "0028", "0010", "US", "0002", "Rows", "128"}));
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
        .us(0x0028, 0x1053, 0xFFFF);  // an unsigned short shows as one
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
    EXPECT_EQ(r.rows[9][6], "65535");
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

TEST(DicomHeader, ElementRunningPastTheEndEndsTheListingWithANoteRow) {
    DicomBuilder b;
    b.explicitElement(0x0008, 0x0060, "CS", "CT");
    std::vector<std::uint8_t> bytes = b.bytes();
    const auto tag = DicomBuilder::tag(0x0008, 0x0070);
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    bytes.insert(bytes.end(), {'L', 'O', 0x00, 0x70});  // 28672 bytes claimed
    bytes.insert(bytes.end(), {0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 2, 0, 0, 0, 1, 0});
    bytes.resize(bytes.size() * 2 + 8, 0);
    const DicomHeaderResult r = read(bytes);
    EXPECT_FALSE(r.error);  // the load goes on with what was read
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("(0008,0070)"), std::string::npos) << r.notes[0];
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.rows[2][5], "Modality");
    EXPECT_EQ(r.rows[3][6], r.notes[0]);
}

// Valid encodings the scanner once misread: each must reach Rows and Columns and the real Pixel
// Data, with the rows before them listed.
struct MendCase {
    const char* what;
    std::vector<std::uint8_t> (*make)();
    const char* header;  // offset of the first pixel
};

std::vector<std::uint8_t> implicitWithUndefinedLengthSequences() {
    // As GE CT series are exported: implicit VR, sequences of undefined length with items of
    // undefined length, an empty one among them.
    DicomBuilder b("1.2.840.10008.1.2");
    b.implicitElement(0x0008, 0x0060, "CT");
    b.raw(DicomBuilder::tag(0x0008, 0x1140)).raw(DicomBuilder::u32(0xFFFFFFFF));
    b.raw(DicomBuilder::tag(0xFFFE, 0xE000)).raw(DicomBuilder::u32(0xFFFFFFFF));
    b.implicitElement(0x0008, 0x1150, "1.2.3");
    b.raw(DicomBuilder::tag(0xFFFE, 0xE00D)).raw(DicomBuilder::u32(0));
    b.raw(DicomBuilder::tag(0xFFFE, 0xE0DD)).raw(DicomBuilder::u32(0));
    b.raw(DicomBuilder::tag(0x0040, 0x0275)).raw(DicomBuilder::u32(0xFFFFFFFF));
    b.raw(DicomBuilder::tag(0xFFFE, 0xE0DD)).raw(DicomBuilder::u32(0));
    b.implicitElement(0x0028, 0x0010, std::string("\x04\x00", 2));
    b.implicitElement(0x0028, 0x0011, std::string("\x04\x00", 2));
    return b.withPixels(std::vector<std::int16_t>(16, 7));
}

std::vector<std::uint8_t> thirtyTwoBitLengthVrs() {
    DicomBuilder b;
    b.explicitElement(0x0008, 0x0119, "UC", "long code value ");
    b.explicitElement(0x0008, 0x0120, "UR", "http://example ");
    b.explicitElement(0x0018, 0x9602, "OD", std::string(16, '\x01'));
    b.explicitElement(0x0040, 0xA160, "UT", "report text");
    b.explicitElement(0x0028, 0x0000, "OF", std::string(8, '\x02'));
    b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
    return b.withPixels(std::vector<std::int16_t>(16, 7));
}

std::vector<std::uint8_t> emptySequenceAndLongValue() {
    DicomBuilder b;
    b.explicitElement(0x0008, 0x1140, "SQ", "");
    b.explicitElement(0x0009, 0x1010, "OB", std::string(70000, '\x03'));
    b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
    return b.withPixels(std::vector<std::int16_t>(16, 7));
}

std::vector<std::uint8_t> pixelTagBytesInsideAPrivateValue() {
    DicomBuilder b;
    b.explicitElement(0x0009, 0x1010, "OB", std::string("\xE0\x7F\x10\x00OW\0\0", 8));
    b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
    return b.withPixels(std::vector<std::int16_t>(16, 7));
}

std::vector<std::uint8_t> noPreambleNoMeta() {
    // The data set from byte 0, implicit VR.
    const std::vector<std::uint8_t> b = implicitWithUndefinedLengthSequences();
    const std::vector<std::uint8_t> modality = DicomBuilder::tag(0x0008, 0x0060);
    return {std::search(b.begin(), b.end(), modality.begin(), modality.end()), b.end()};
}

std::size_t pixelValueOffsetIn(const std::vector<std::uint8_t>& bytes) {
    std::size_t last = 0;
    for (std::size_t p = 0; p < bytes.size() / 2; ++p)
        if (bytes[p] == 0xE0 && bytes[p + 1] == 0x7F && bytes[p + 2] == 0x10 && bytes[p + 3] == 0)
            last = p;
    return last + 12;  // the builder writes Pixel Data as explicit OW
}

TEST(DicomHeader, MendedEncodingsReachRowsColumnsAndThePixels) {
    const MendCase cases[] = {
        {"implicit VR, undefined-length sequences", implicitWithUndefinedLengthSequences, nullptr},
        {"UC, UR, OD, UT, OF with 32-bit lengths", thirtyTwoBitLengthVrs, nullptr},
        {"an empty sequence and an OB value over 64 KiB", emptySequenceAndLongValue, nullptr},
        {"Pixel Data bytes inside a private value", pixelTagBytesInsideAPrivateValue, nullptr},
        {"no preamble and no meta group", noPreambleNoMeta, nullptr},
    };
    for (const MendCase& c : cases) {
        const std::vector<std::uint8_t> bytes = c.make();
        const DicomHeaderResult r = read(bytes);
        EXPECT_FALSE(r.error) << c.what << ": " << *r.error;
        EXPECT_TRUE(r.notes.empty()) << c.what << ": " << r.notes[0];
        EXPECT_EQ(opt(r.fields.columns), "4") << c.what;
        EXPECT_EQ(opt(r.fields.rows), "4") << c.what;
        EXPECT_EQ(opt(r.fields.header), std::to_string(pixelValueOffsetIn(bytes))) << c.what;
        ASSERT_FALSE(r.rows.empty()) << c.what;
        EXPECT_EQ(r.rows.back()[1], "7FE0") << c.what;
    }
}

TEST(DicomHeader, SequencesAndLongValuesAreListedAsWritten) {
    const DicomHeaderResult ge = read(implicitWithUndefinedLengthSequences());
    std::vector<std::string> names;
    for (const HeaderRow& row : ge.rows) names.push_back(row[3] == "SQ" ? "SQ " + row[2] : row[5]);
    EXPECT_NE(std::find(names.begin(), names.end(), "SQ 1140"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "ReferencedSOPClassUID"), names.end());
    const DicomHeaderResult big = read(emptySequenceAndLongValue());
    const auto longRow = std::find_if(big.rows.begin(), big.rows.end(),
                                      [](const HeaderRow& row) { return row[2] == "1010"; });
    ASSERT_NE(longRow, big.rows.end());
    EXPECT_EQ((*longRow)[4], "11170");  // 70000 bytes
}

TEST(DicomHeader, TheTableIsCappedWithALastRowSaying) {
    DicomBuilder b;
    for (int i = 0; i < 100010; ++i)
        b.explicitElement(0x0009, static_cast<std::uint16_t>(0x1000 + i % 0xE000), "LO", "ab");
    b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
    const DicomHeaderResult r = read(b.withPixels({0}));
    EXPECT_EQ(opt(r.fields.rows), "4");  // read beyond the listing
    ASSERT_EQ(r.rows.size(), 100001u);
    EXPECT_NE(r.rows.back()[6].find("not listed"), std::string::npos);
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

namespace ctiq {
namespace {

// pydicom's Japanese example (ISO 2022 IR 87): the name as pydicom decodes it.
TEST(DicomHeader, JapaneseNamesAreDecodedInTheTable) {
    const DicomHeaderResult r = readFile("dicom/chrH31.dcm");
    const auto name = std::find_if(r.rows.begin(), r.rows.end(), [](const HeaderRow& row) {
        return row[1] == "0010" && row[2] == "0010";
    });
    ASSERT_NE(name, r.rows.end());
    EXPECT_EQ((*name)[6], "Yamada^Tarou=山田^太郎=やまだ^たろう");
}

}  // namespace
}  // namespace ctiq
