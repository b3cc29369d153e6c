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
        throw AppError(
            "The %1 of this image is '%2', which is not a number; its CT values "
            "cannot be computed.",
            {std::string(name), std::string(text)});
    }
    // Beyond this no 16-bit sample gives a CT value the measurements can hold.
    constexpr long double kLargest = 1e9L;
    if (!std::isfinite(value) || std::fabs(value) > kLargest)
        throw AppError("The %1 of this image is '%2', which no CT value can be computed with.",
                       {std::string(name), std::string(text)});
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
            throw AppError(
                "The Rescale Slope of this image is %1: every CT value would be the "
                "intercept; it cannot be measured.",
                {*values.rescaleSlope});
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

std::optional<AppError> pixelDescriptionProblem(const DicomImageFacts& f) {
    // -2: the header says it, but not as a number.
    const std::pair<std::int64_t, const char*> said[] = {
        {f.samplesPerPixel, "Samples per Pixel"}, {f.bitsAllocated, "Bits Allocated"},
        {f.bitsStored, "Bits Stored"},            {f.highBit, "High Bit"},
        {f.pixelRepresentation, "Pixel Representation"}, {f.frames, "Number of Frames"},
        {f.rows, "Rows"},                         {f.columns, "Columns"}};
    for (const auto& [value, name] : said)
        if (value == -2) return AppError("its %1 is not a number", {std::string(name)});
    if (f.samplesPerPixel != -1 && f.samplesPerPixel != 1)
        return AppError(
            "it has %1 samples per pixel; only grey images (1 sample per pixel) can be "
            "shown and measured",
            {std::to_string(f.samplesPerPixel)});
    if (!f.photometric.empty() && f.photometric != "MONOCHROME1" && f.photometric != "MONOCHROME2")
        return AppError(
            "its photometric interpretation is %1; only grey images (MONOCHROME1 or "
            "MONOCHROME2) can be shown and measured",
            {f.photometric});
    if (f.pixelRepresentation != -1 && f.pixelRepresentation != 0 && f.pixelRepresentation != 1)
        return AppError("its Pixel Representation is %1, neither 0 (unsigned) nor 1 (signed)",
                        {std::to_string(f.pixelRepresentation)});
    if (f.bitsStored != -1 && f.bitsAllocated != -1 &&
        (f.bitsStored < 1 || f.bitsStored > f.bitsAllocated))
        return AppError("it stores %1 bits in samples of %2",
                        {std::to_string(f.bitsStored), std::to_string(f.bitsAllocated)});
    if (f.highBit != -1 && f.bitsStored != -1 && f.highBit != f.bitsStored - 1)
        return AppError("its High Bit is %1 for %2 bits stored",
                        {std::to_string(f.highBit), std::to_string(f.bitsStored)});
    if (f.frames != -1 && f.frames < 1)
        return AppError("its Number of Frames is %1", {std::to_string(f.frames)});
    return std::nullopt;
}

}  // namespace ctiq
