#include "load/frame_values.h"

#include <cmath>
#include <utility>

#include "common/app_error.h"
#include "common/number_text.h"
#include "load/dicom/vocabulary.h"

namespace ctiq {
namespace {

// The number a rescale text gives; throws AppError naming the element and its text otherwise.
long double rescaleNumber(const std::string& text, const char* name) {
    long double value = 0;
    try {
        value = StrToFloat(dicom::firstValue(text));
    } catch (const AppError&) {
        throw AppError(std::string("The ") + name + " of this image is '" + text +
                       "', which is not a number; its CT values cannot be computed.");
    }
    // Beyond this no 16-bit sample gives a CT value the measurements can hold.
    constexpr long double kLargest = 1e9L;
    if (!std::isfinite(value) || std::fabs(value) > kLargest)
        throw AppError(std::string("The ") + name + " of this image is '" + text +
                       "', which no CT value can be computed with.");
    return value;
}

}  // namespace

FrameValueTexts frameValueTexts(const DicomHeaderResult& header, std::size_t frame) {
    FrameValueTexts values = header.dataSet;
    const FunctionalGroupTexts& groups = header.groups;
    const FrameValueTexts* own =
        frame < groups.perFrame.size() ? &groups.perFrame[frame] : nullptr;
    auto take = [&](std::optional<std::string> FrameValueTexts::*value) {
        if (own && own->*value)
            values.*value = own->*value;
        else if (groups.shared.*value)
            values.*value = groups.shared.*value;
    };
    for (auto value : {&FrameValueTexts::rescaleSlope, &FrameValueTexts::rescaleIntercept,
                       &FrameValueTexts::pixelSpacing, &FrameValueTexts::windowCenter,
                       &FrameValueTexts::windowWidth})
        take(value);
    return values;
}

ModalityRescale modalityRescale(const FrameValueTexts& values) {
    ModalityRescale rescale;
    if (values.rescaleSlope) {
        rescale.slopeText = *values.rescaleSlope;
        rescale.slope = rescaleNumber(*values.rescaleSlope, "Rescale Slope");
        if (rescale.slope == 0)
            throw AppError("The Rescale Slope of this image is " + *values.rescaleSlope +
                           ": every CT value would be the intercept; it cannot be measured.");
    }
    if (values.rescaleIntercept) {
        rescale.interceptText = *values.rescaleIntercept;
        rescale.intercept = rescaleNumber(*values.rescaleIntercept, "Rescale Intercept");
    }
    return rescale;
}

std::int64_t frameCount(const DicomImageFacts& image) {
    return image.frames == -1 ? 1 : image.frames;
}

std::string pixelDescriptionProblem(const DicomImageFacts& f) {
    // -2: the header says it, but not as a number.
    const std::pair<std::int64_t, const char*> said[] = {
        {f.samplesPerPixel, "Samples per Pixel"}, {f.bitsAllocated, "Bits Allocated"},
        {f.bitsStored, "Bits Stored"},            {f.highBit, "High Bit"},
        {f.pixelRepresentation, "Pixel Representation"}, {f.frames, "Number of Frames"},
        {f.rows, "Rows"},                         {f.columns, "Columns"}};
    for (const auto& [value, name] : said)
        if (value == -2) return std::string("its ") + name + " is not a number";
    if (f.samplesPerPixel != -1 && f.samplesPerPixel != 1)
        return "it has " + std::to_string(f.samplesPerPixel) +
               " samples per pixel; only grey images (1 sample per pixel) can be shown and "
               "measured";
    if (!f.photometric.empty() && f.photometric != "MONOCHROME1" && f.photometric != "MONOCHROME2")
        return "its photometric interpretation is " + f.photometric +
               "; only grey images (MONOCHROME1 or MONOCHROME2) can be shown and measured";
    if (f.pixelRepresentation != -1 && f.pixelRepresentation != 0 && f.pixelRepresentation != 1)
        return "its Pixel Representation is " + std::to_string(f.pixelRepresentation) +
               ", neither 0 (unsigned) nor 1 (signed)";
    if (f.bitsStored != -1 && f.bitsAllocated != -1 &&
        (f.bitsStored < 1 || f.bitsStored > f.bitsAllocated))
        return "it stores " + std::to_string(f.bitsStored) + " bits in samples of " +
               std::to_string(f.bitsAllocated);
    if (f.highBit != -1 && f.bitsStored != -1 && f.highBit != f.bitsStored - 1)
        return "its High Bit is " + std::to_string(f.highBit) + " for " +
               std::to_string(f.bitsStored) + " bits stored";
    if (f.frames != -1 && f.frames < 1)
        return "its Number of Frames is " + std::to_string(f.frames);
    return {};
}

}  // namespace ctiq
