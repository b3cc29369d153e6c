#include "load/headless_load.h"

#include "common/app_error.h"
#include "common/number_text.h"
#include "load/file_reading.h"
#include "load/load_fields.h"

namespace ctiq {

LoadedImage loadImageHeadless(const std::string& path, LoadMode mode, const LoadOverrides& given,
                              bool listHeader) {
    LoadedImage image;
    image.path = path;
    readWholeFile(path, image.bytes);
    LoadPlan plan = planLoad(path, image.bytes, mode, listHeader, given.frame);
    image.reader = plan.readerName();
    if (plan.readByToolkit) image.scannerDeclined = plan.scannerDeclined;
    image.frame = plan.frame;
    image.frames = plan.frames;
    if (given.frame > 0 && !plan.dicom)
        throw AppError("--frame chooses a frame of a DICOM file; %1 is read as one image.", {path});
    LoadFields fields = loadFields(plan);
    if (plan.dicom) {
        image.dicom = plan.dicom;
        requireShowable(plan);
        if (plan.decoded) image.bytes = std::move(plan.decoded->samples);
    }
    if (plan.needsSize()) {
        if (!given.size)
            throw AppError(
                "The size of %1 is neither in its name nor in a DICOM header; give "
                "--size COLS,ROWS.",
                {path});
        answerSizePrompt(fields, *given.size);
    }

    image.layout.columns = given.size ? given.size->columns : StrToInt(fields.columns);
    image.layout.rows = given.size ? given.size->rows : StrToInt(fields.rows);
    image.layout.header = given.header ? *given.header : StrToInt(fields.header.value_or("0"));
    image.offset = given.offset ? *given.offset : StrToInt(fields.offset.value_or("0"));
    image.swap = fields.swap.value_or(false) || given.swap;
    image.spacingText = given.spacing ? *given.spacing : fields.spacing;
    image.layout.format = loadFormat(mode);
    requireStoredImageInside(image.layout, image.bytes.size());
    return image;
}

SampleValueRule LoadedImage::valueRule() const {
    SampleValueRule rule;
    rule.format = layout.format;
    rule.swap = swap;
    rule.offset = offset;
    return rule;
}

}  // namespace ctiq
