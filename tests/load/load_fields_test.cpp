#include "load/load_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "tests/support/dicom_builder.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

TEST(LoadFields, TheNamesGeometryFillsTheSizeAndSpacingAndLeavesTheRest) {
    const ImageBytes raw(64 * 32 * 2, 0);
    const LoadFields f = loadFields(planLoad("/d/water 64 32 0p5.raw", raw, LoadMode::Word16));
    EXPECT_EQ(f.columns, "64");
    EXPECT_EQ(f.rows, "32");
    EXPECT_EQ(f.spacing, "0.5");
    // The user's header length, offset and "Swap" stay as they are.
    EXPECT_FALSE(f.header);
    EXPECT_FALSE(f.offset);
    EXPECT_FALSE(f.swap);
    EXPECT_FALSE(f.windowLevel);
}

TEST(LoadFields, TheDicomHeaderDecidesWhatItSaysAsTheFieldsShowIt) {
    const ImageBytes bytes = test::DicomBuilder()
                                 .us(0x0028, 0x0010, 4)
                                 .us(0x0028, 0x0011, 6)
                                 .explicitElement(0x0028, 0x0030, "DS", "0.5\xB5\\0.5 ")
                                 .explicitElement(0x0028, 0x1050, "DS", "40")
                                 .explicitElement(0x0028, 0x1051, "DS", "400 ")
                                 .explicitElement(0x0028, 0x1052, "DS", "-1024 ")
                                 .withPixels(std::vector<std::int16_t>(24, 0));
    const LoadPlan plan = planLoad("/d/slice.dcm", bytes, LoadMode::Dicom);
    ASSERT_TRUE(plan.dicom);
    const DicomFieldWrites& written = plan.dicom->fields;
    const LoadFields f = loadFields(plan);
    EXPECT_EQ(f.columns, "6");
    EXPECT_EQ(f.rows, "4");
    // The first pixel: after Pixel Data's tag, VR, reserved bytes and length.
    const std::uint8_t pixelData[] = {0xE0, 0x7F, 0x10, 0x00, 'O', 'W'};
    const auto tag =
        std::search(bytes.begin(), bytes.end(), std::begin(pixelData), std::end(pixelData));
    EXPECT_EQ(f.header, std::to_string(tag - bytes.begin() + 12));
    EXPECT_EQ(f.offset, "-1024");
    EXPECT_EQ(f.windowLevel, "40");
    EXPECT_EQ(f.windowWidth, "400");
    ASSERT_TRUE(written.pixelSpacing);
    // The header's byte 0xB5 is the Latin-1 "µ" the viewer shows, in UTF-8.
    EXPECT_EQ(written.pixelSpacing->find('\xB5'), 3u);
    EXPECT_EQ(f.spacing.substr(0, 5), "0.5\xC2\xB5");
}

TEST(LoadFields, AFileWithoutAnImageHasNoSize) {
    const ImageBytes plan = test::readBytes(test::testData("dicom/rtplan.dcm"));
    const LoadPlan p = planLoad("/d/rtplan.dcm", plan, LoadMode::Dicom);
    ASSERT_TRUE(p.noImage);
    const LoadFields f = loadFields(p);
    EXPECT_EQ(f.columns, "");
    EXPECT_EQ(f.rows, "");
}

TEST(LoadFields, TheSizePromptsAnswerReadsTheFileFromItsFirstByte) {
    const ImageBytes raw(100, 0);
    const LoadPlan plan = planLoad("/d/unnamed.raw", raw, LoadMode::Byte8);
    ASSERT_TRUE(plan.needsSize());
    LoadFields f = loadFields(plan);
    f.header = "128";  // a header field the file had set
    answerSizePrompt(f, MatrixSize{10, 10});
    EXPECT_EQ(f.columns, "10");
    EXPECT_EQ(f.rows, "10");
    EXPECT_EQ(f.header, "0");
}

}  // namespace
}  // namespace ctiq
