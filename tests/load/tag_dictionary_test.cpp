#include "load/dicom/tag_dictionary.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace ctiq {
namespace {

TEST(TagDictionary, BuiltInHas1911EntriesWithTheGroupCounts) {
    const std::string& text = TagDictionary::builtIn().text();
    std::map<std::string, int> perGroup;
    std::istringstream lines(text);
    std::string line, previousKey;
    int entries = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ASSERT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
        ASSERT_EQ(line.substr(line.size() - 2), "\tN") << line;
        const std::string key = line.substr(0, 9);
        ASSERT_LT(previousKey, key) << "ascending and unique";
        previousKey = key;
        ++perGroup[line.substr(0, 4)];
        ++entries;
    }
    EXPECT_EQ(entries, 1911);
    const std::map<std::string, int> expected = {
        {"0002", 10},  {"0004", 19}, {"0008", 161}, {"0009", 10},  {"0010", 50},
        {"0011", 1},   {"0012", 17}, {"0018", 642}, {"0019", 143}, {"0020", 103},
        {"0021", 35},  {"0022", 48}, {"0023", 7},   {"0025", 9},   {"0027", 36},
        {"0028", 177}, {"0029", 15}, {"0032", 27},  {"0038", 26},  {"003A", 38},
        {"0040", 219}, {"0042", 5},  {"0043", 73},  {"0044", 14},  {"0045", 26}};
    EXPECT_EQ(perGroup, expected);
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1) << "lines joined by CR LF";
}

struct Named {
    std::uint16_t group, element;
    const char* name;
};

class BuiltInNames : public ::testing::TestWithParam<Named> {};

TEST_P(BuiltInNames, LookUp) {
    EXPECT_EQ(TagDictionary::builtIn().lookup(GetParam().group, GetParam().element),
              GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuiltInNames,
    ::testing::Values(
        Named{0x0028, 0x0010, "Rows"}, Named{0x0028, 0x0011, "Columns"}, Named{0x7FE0, 0x0010, ""},
        Named{0x0045, 0x101B, ""}, Named{0x0051, 0x1000, ""},
        Named{0x0043, 0x106F, "ScannerTableEntry"},
        Named{0x0002, 0x0000, "FileMetaInfoGroupLength"},
        Named{0x0002, 0x0001, "FileMetaInfoVersion"},
        Named{0x0002, 0x0002, "MediaStorageSOPClassUID"},
        Named{0x0002, 0x0010, "TransferSyntaxUID"}, Named{0x0008, 0x0000, "IdentifyingGroupLength"},
        Named{0x0008, 0x0005, "SpecificCharacterSet"}, Named{0x0008, 0x0008, "ImageType"},
        Named{0x0008, 0x0010, "RecognitionCode"},
        Named{0x0008, 0x001A, "RelatedGeneralSOPClassUID"}, Named{0x0008, 0x0020, "StudyDate"},
        Named{0x0008, 0x1090, "ManufacturersModelName"}, Named{0x0008, 0x103E, "SeriesDescription"},
        Named{0x0018, 0x0050, "SliceThickness"}, Named{0x0018, 0x0060, "KVP"},
        Named{0x0018, 0x1152, "Exposure"}, Named{0x0018, 0x1210, "ConvolutionKernel"},
        Named{0x0018, 0x1100, "ReconstructionDiameter"},
        Named{0x0018, 0x1312, "InPlanePhaseEncodingDirection"},
        Named{0x0018, 0x7022, "DetectorElementSpacing"},
        Named{0x0018, 0x7026, "DetectorActiveDimensions"}, Named{0x0028, 0x0030, "PixelSpacing"},
        Named{0x0028, 0x0100, "BitsAllocated"}, Named{0x0028, 0x0102, "HighBit"},
        Named{0x0028, 0x0103, "PixelRepresentation"}, Named{0x0028, 0x1050, "WindowCenter"},
        Named{0x0028, 0x1051, "WindowWidth"}, Named{0x0028, 0x1052, "RescaleIntercept"},
        Named{0x0009, 0x1001, "FullFidelity"}, Named{0x0019, 0x10C8, "SATThicknessR-L"},
        Named{0x0043, 0x1038, "User25-48"}));

TEST(TagDictionary, FirstOccurrenceAndTheTabWindow) {
    const std::string longName(300, 'x');
    const TagDictionary d("0001\t0002\tFirst\tN\r\n0001\t0002\tSecond\tN\r\n0003\t0004\t" +
                          longName + "\tN\r\n0005\t0006\tLast");
    EXPECT_EQ(d.lookup(0x0001, 0x0002), "First");
    EXPECT_EQ(d.lookup(0x0003, 0x0004), "");  // no tab within 256 characters
    EXPECT_EQ(d.lookup(0x0005, 0x0006), "");  // no tab after the name at all
    EXPECT_EQ(d.lookup(0x0009, 0x0009), "");
}

}  // namespace
}  // namespace ctiq
