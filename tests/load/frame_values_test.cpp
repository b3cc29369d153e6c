#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "common/app_error.h"
#include "image/stored_image.h"
#include "load/headless_load.h"
#include "load/load_plan.h"
#include "load/modality_values.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

using test::DicomBuilder;
using Bytes = std::vector<std::uint8_t>;

void append(Bytes& to, const Bytes& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

Bytes text(const std::string& s) {
    return {s.begin(), s.end()};
}

// One element in explicit VR (16-bit length) or implicit VR.
Bytes element(bool implicitVr, std::uint16_t group, std::uint16_t number, const char vr[3],
              std::string value) {
    if (value.size() % 2) value.push_back(' ');
    Bytes b = DicomBuilder::tag(group, number);
    if (implicitVr) {
        append(b, DicomBuilder::u32(static_cast<std::uint32_t>(value.size())));
    } else {
        append(b, text(vr));
        append(b, DicomBuilder::u16(static_cast<std::uint16_t>(value.size())));
    }
    append(b, text(value));
    return b;
}

// A sequence of defined length with items of defined length, as pydicom and most toolkits write.
Bytes sequence(bool implicitVr, std::uint16_t group, std::uint16_t number,
               const std::vector<Bytes>& items) {
    Bytes content;
    for (const Bytes& item : items) {
        append(content, DicomBuilder::tag(0xFFFE, 0xE000));
        append(content, DicomBuilder::u32(static_cast<std::uint32_t>(item.size())));
        append(content, item);
    }
    Bytes b = DicomBuilder::tag(group, number);
    if (!implicitVr) append(b, {'S', 'Q', 0, 0});
    append(b, DicomBuilder::u32(static_cast<std::uint32_t>(content.size())));
    append(b, content);
    return b;
}


// A 4 × 4 CT image with the data set's own rescale (empty optional: the element left out).
Bytes classicImage(const std::optional<std::string>& slope,
                   const std::optional<std::string>& intercept, std::vector<std::int16_t> words,
                   int pixelRepresentation = 1) {
    DicomBuilder b;
    b.us(0x0028, 0x0002, 1).explicitElement(0x0028, 0x0004, "CS", "MONOCHROME2 ");
    b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
    b.us(0x0028, 0x0100, 16).us(0x0028, 0x0101, 16).us(0x0028, 0x0102, 15);
    b.us(0x0028, 0x0103, static_cast<std::uint16_t>(pixelRepresentation));
    if (intercept) b.explicitElement(0x0028, 0x1052, "DS", *intercept);
    if (slope) b.explicitElement(0x0028, 0x1053, "DS", *slope);
    return b.withPixels(words);
}

std::vector<std::int16_t> valuesOf(const LoadedImage& image) {
    std::vector<std::int16_t> values;
    const SampleValueRule rule = image.valueRule();
    const std::size_t count = std::size_t(image.layout.columns) * std::size_t(image.layout.rows);
    for (std::size_t k = 0; k < count; ++k)
        values.push_back(rule.value(image.bytes.data() + image.layout.header + 2 * k));
    return values;
}

LoadedImage loadBytes(const Bytes& bytes, std::uint32_t frame = 0) {
    // Each test runs as its own process in parallel: a folder of its own, never a shared name.
    const test::TempFolder folder;
    const std::string path = folder.file("frame_values_test.dcm");
    test::writeBytes(path, bytes);
    LoadOverrides given;
    given.frame = frame;
    return loadImageHeadless(path, LoadMode::Dicom, given, false);
}

std::string refusalOf(const Bytes& bytes, std::uint32_t frame = 0) {
    try {
        loadBytes(bytes, frame);
    } catch (const AppError& e) {
        return e.what();
    }
    return "(loaded)";
}

// CT value = slope × stored + intercept, for every sample, or a refusal that names the value.
struct RescaleCase {
    const char* what;
    std::optional<std::string> slope, intercept;
    std::vector<std::int16_t> stored;
    int pixelRepresentation;
    std::vector<std::int16_t> expected;  // empty: refused
    const char* refusalNames;            // a text the refusal must hold
};

TEST(ModalityRescale, EveryFrameValueIsSlopeTimesStoredPlusIntercept) {
    const std::vector<std::int16_t> ramp = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    auto scaled = [&](double slope, double intercept) {
        std::vector<std::int16_t> v;
        for (std::int16_t s : ramp)
            v.push_back(static_cast<std::int16_t>(std::nearbyint(slope * s + intercept)));
        return v;
    };
    std::vector<std::int16_t> high(16, static_cast<std::int16_t>(40000 - 65536));
    const RescaleCase cases[] = {
        {"no rescale", std::nullopt, std::nullopt, ramp, 1, ramp, ""},
        {"slope 1, intercept -1024", "1", "-1024", ramp, 1, scaled(1, -1024), ""},
        {"slope 2", "2", "-1024", ramp, 1, scaled(2, -1024), ""},
        {"slope 16.05882 of a lossy 8-bit CT", "16.05882", "-1024", ramp, 0,
         scaled(16.05882, -1024), ""},
        {"a fractional intercept", "1", "-1024.5", ramp, 1, scaled(1, -1024.5), ""},
        {"unsigned samples from 32768 up", "1", "-32768", high, 0,
         std::vector<std::int16_t>(16, 40000 - 32768), ""},
        {"slope 0", "0", "-1024", ramp, 1, {}, "Rescale Slope"},
        {"slope NaN", "NaN", "-1024", ramp, 1, {}, "NaN"},
        {"an empty slope", "", "-1024", ramp, 1, {}, "Rescale Slope"},
        {"slope not a number", "abc", "0", ramp, 1, {}, "abc"},
        {"an intercept of 40000", "1", "40000", ramp, 1, {}, "40000"},
        {"an intercept of 1e308", "1", "1e308", ramp, 1, {}, "1e308"},
        {"values beyond 16 bits", "3000", "0", ramp, 1, {}, "45000"},
    };
    for (const RescaleCase& c : cases) {
        const Bytes file = classicImage(c.slope, c.intercept, c.stored, c.pixelRepresentation);
        if (c.expected.empty()) {
            const std::string refusal = refusalOf(file);
            EXPECT_NE(refusal.find(c.refusalNames), std::string::npos) << c.what << ": " << refusal;
            continue;
        }
        const LoadedImage image = loadBytes(file);
        EXPECT_EQ(valuesOf(image), c.expected) << c.what << " (" << image.reader << ")";
    }
}

TEST(ModalityRescale, SlopeOneKeepsTheFileAndItsOffset) {
    const LoadedImage image = loadBytes(classicImage("1", "-1024", std::vector<std::int16_t>(16, 5)));
    EXPECT_EQ(image.offset, -1024);
    EXPECT_GT(image.layout.header, 0);  // the file's own bytes, no computed copy
    EXPECT_EQ(image.reader, "the header scanner");
}

// An Enhanced CT of three 4 × 4 frames whose rescale and spacing live in the functional groups.
Bytes enhancedCt(bool implicitVr, bool perFrame) {
    const char* syntax = implicitVr ? "1.2.840.10008.1.2" : "1.2.840.10008.1.2.1";
    DicomBuilder b(syntax);
    auto add = [&](const Bytes& bytes) { b.raw(bytes); };
    add(element(implicitVr, 0x0008, 0x0016, "UI", std::string("1.2.840.10008.5.1.4.1.1.2.1\0", 28)));
    add(element(implicitVr, 0x0028, 0x0002, "US", std::string("\x01\x00", 2)));
    add(element(implicitVr, 0x0028, 0x0004, "CS", "MONOCHROME2 "));
    add(element(implicitVr, 0x0028, 0x0008, "IS", "3 "));
    add(element(implicitVr, 0x0028, 0x0010, "US", std::string("\x04\x00", 2)));
    add(element(implicitVr, 0x0028, 0x0011, "US", std::string("\x04\x00", 2)));
    add(element(implicitVr, 0x0028, 0x0100, "US", std::string("\x10\x00", 2)));
    add(element(implicitVr, 0x0028, 0x0101, "US", std::string("\x10\x00", 2)));
    add(element(implicitVr, 0x0028, 0x0102, "US", std::string("\x0F\x00", 2)));
    add(element(implicitVr, 0x0028, 0x0103, "US", std::string("\x01\x00", 2)));
    auto measures = [&](const char* spacing) {
        return sequence(implicitVr, 0x0028, 0x9110,
                        {element(implicitVr, 0x0028, 0x0030, "DS", spacing)});
    };
    auto transformation = [&](const char* intercept) {
        Bytes item = element(implicitVr, 0x0028, 0x1052, "DS", intercept);
        append(item, element(implicitVr, 0x0028, 0x1053, "DS", "1 "));
        append(item, element(implicitVr, 0x0028, 0x1054, "LO", "HU"));
        return sequence(implicitVr, 0x0028, 0x9145, {item});
    };
    const char* intercepts[] = {"-1000 ", "-1024 ", "-1100 "};
    const char* spacings[] = {"0.5\\0.5 ", "0.6\\0.6 ", "0.7\\0.7 "};
    std::vector<Bytes> frames;
    for (int k = 0; k < 3; ++k) {
        Bytes item = measures(perFrame ? spacings[k] : "0.5\\0.5 ");
        append(item, transformation(perFrame ? intercepts[k] : "-1024 "));
        frames.push_back(item);
    }
    Bytes shared = measures("9\\9 ");  // overridden where a frame says its own
    append(shared, transformation("-5 "));
    add(sequence(implicitVr, 0x5200, 0x9229, {perFrame ? shared : frames[0]}));
    if (perFrame) add(sequence(implicitVr, 0x5200, 0x9230, frames));
    std::vector<std::int16_t> pixels;
    for (int k = 0; k < 3; ++k) pixels.insert(pixels.end(), 16, static_cast<std::int16_t>(1000 * k));
    return b.withPixels(pixels);
}

TEST(EnhancedCt, EachFrameTakesItsOwnRescaleAndSpacing) {
    for (bool implicitVr : {false, true}) {
        const Bytes file = enhancedCt(implicitVr, true);
        const std::int16_t expected[] = {0 - 1000, 1000 - 1024, 2000 - 1100};
        const char* spacing[] = {"0.5", "0.6", "0.7"};
        for (std::uint32_t frame = 0; frame < 3; ++frame) {
            const LoadedImage image = loadBytes(file, frame);
            SCOPED_TRACE(std::string(implicitVr ? "implicit" : "explicit") + " VR, frame " +
                         std::to_string(frame + 1));
            EXPECT_EQ(image.frames, 3);
            EXPECT_EQ(image.reader, "the header scanner");
            EXPECT_EQ(valuesOf(image), std::vector<std::int16_t>(16, expected[frame]));
            EXPECT_EQ(image.spacingText, spacing[frame]);
        }
        EXPECT_NE(refusalOf(file, 3).find("no frame 4"), std::string::npos);
    }
}

TEST(EnhancedCt, SharedGroupsServeEveryFrame) {
    for (bool implicitVr : {false, true}) {
        const LoadedImage image = loadBytes(enhancedCt(implicitVr, false), 2);
        EXPECT_EQ(valuesOf(image), std::vector<std::int16_t>(16, 2000 - 1024)) << implicitVr;
        EXPECT_EQ(image.spacingText, "0.5") << implicitVr;
    }
}

TEST(EnhancedCt, TheHeaderTableListsEveryItemOfDefinedLengthSequences) {
    const Bytes file = enhancedCt(true, true);
    const DicomHeaderResult r = readDicomHeader(file.data(), file.size(), TagDictionary::builtIn());
    ASSERT_FALSE(r.error);
    int intercepts = 0, sequenceEnds = 0;
    for (const HeaderRow& row : r.rows) {
        intercepts += row[1] == "0028" && row[2] == "1052";
        sequenceEnds += row[1].empty() && row[3] == "SQ";
    }
    EXPECT_EQ(intercepts, 1 + 3);  // the shared group's and each frame's
    EXPECT_EQ(sequenceEnds, 1 + 3 * 2 + 2 + 1);  // shared, its two macros, per-frame, 3 × 2 macros
    EXPECT_EQ(r.rows.back()[1], "7FE0");
}

TEST(PixelDescription, ImagesThatAreNotOneGreySampleAreRefusedByName) {
    struct Case {
        const char* what;
        std::uint16_t samples, allocated, stored, highBit, representation;
        const char* photometric;
        const char* names;
    };
    const Case cases[] = {
        {"three samples called MONOCHROME2", 3, 16, 16, 15, 1, "MONOCHROME2 ", "3 samples"},
        {"RGB", 1, 16, 16, 15, 1, "RGB ", "RGB"},
        {"more bits stored than allocated", 1, 16, 17, 16, 1, "MONOCHROME2 ", "17 bits"},
        {"a high bit that contradicts", 1, 16, 12, 15, 1, "MONOCHROME2 ", "High Bit is 15"},
        {"pixel representation 2", 1, 16, 16, 15, 2, "MONOCHROME2 ", "Pixel Representation"},
    };
    for (const Case& c : cases) {
        DicomBuilder b;
        b.us(0x0028, 0x0002, c.samples).explicitElement(0x0028, 0x0004, "CS", c.photometric);
        b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4).us(0x0028, 0x0100, c.allocated);
        b.us(0x0028, 0x0101, c.stored).us(0x0028, 0x0102, c.highBit);
        b.us(0x0028, 0x0103, c.representation);
        const std::string refusal = refusalOf(b.withPixels(std::vector<std::int16_t>(16 * c.samples, 0)));
        EXPECT_NE(refusal.find(c.names), std::string::npos) << c.what << ": " << refusal;
    }
}

TEST(BrokenHeader, ABreakBeforeTheRescaleRefusesTheMeasurement) {
    // Rows and Columns, then an element whose length runs past the end of the file before the
    // Rescale Intercept: the image's values are unknown.
    DicomBuilder b;
    b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
    Bytes bytes = b.bytes();
    append(bytes, DicomBuilder::tag(0x0028, 0x0030));
    append(bytes, {'D', 'S', 0x00, 0x70});
    append(bytes, {0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 32, 0, 0, 0});
    bytes.resize(bytes.size() + 32, 0);
    bytes.resize(bytes.size() * 2, 0);
    const std::string refusal = refusalOf(bytes);
    EXPECT_NE(refusal.find("breaks inside element (0028,0030)"), std::string::npos) << refusal;
}

TEST(Frames, AMultiFrameFileReadsTheFrameAsked) {
    const Bytes file = test::multiFrameImage(2, {1, 2, 3});
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        const LoadedImage image = loadBytes(file, frame);
        EXPECT_EQ(valuesOf(image), std::vector<std::int16_t>(4, static_cast<std::int16_t>(frame + 1)));
        EXPECT_EQ(image.frame, frame);
        EXPECT_EQ(image.frames, 3);
    }
    EXPECT_NE(refusalOf(file, 5).find("3 frames"), std::string::npos);
}

}  // namespace
}  // namespace ctiq
