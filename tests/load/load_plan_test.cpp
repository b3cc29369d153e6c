#include "load/load_plan.h"
#include "viewer/load_placement.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

TEST(LoadPlan, TheNameGoesBeforeTheHeader) {
    const ImageBytes ct = test::readBytes(test::testData("dicom/CT_small.dcm"));
    const LoadPlan named = planLoad("/d/ct 64 32 0p5.dcm", ct, LoadMode::Dicom);
    EXPECT_FALSE(named.dicom);
    EXPECT_EQ(named.columns, "64");
    EXPECT_EQ(named.rows, "32");

    const LoadPlan read = planLoad("/d/CT_small.dcm", ct, LoadMode::Dicom);
    ASSERT_TRUE(read.dicom);
    EXPECT_EQ(read.columns, "128");
    EXPECT_EQ(read.rows, "128");
    EXPECT_FALSE(read.needsSize());
    EXPECT_NO_THROW(requireShowable(read));
    EXPECT_FALSE(read.decoded);  // the scanner reads it right
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
