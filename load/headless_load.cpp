#include "load/headless_load.h"

#include "common/app_error.h"
#include "common/number_text.h"
#include "load/file_reading.h"

namespace ctiq {

LoadedImage loadImageHeadless(const std::string& path, LoadMode mode, const LoadOverrides& given,
                              bool listHeader) {
    LoadedImage image;
    image.path = path;
    readWholeFile(path, image.bytes);
    LoadPlan plan = planLoad(path, image.bytes, mode, listHeader);
    image.reader = plan.readerName();
    std::string header = "0", offset = "0";
    image.spacingText = plan.name.spacing;
    if (plan.dicom) {
        const DicomFieldWrites& f = plan.dicom->fields;
        if (f.header) header = *f.header;
        if (f.offset) offset = *f.offset;
        if (f.pixelSpacing) image.spacingText = *f.pixelSpacing;
        if (f.swap) image.swap = *f.swap;
        image.dicom = plan.dicom;
        requireShowable(plan);
        if (plan.decoded) image.bytes = std::move(plan.decoded->samples);
    }

    if (!plan.needsSize()) {
        image.layout.columns = StrToInt(plan.columns);
        image.layout.rows = StrToInt(plan.rows);
    } else if (given.size) {
        header = "0";  // as the size prompt leaves it
    } else {
        throw AppError("The size of " + path +
                       " is neither in its name nor in a DICOM header; give --size COLS,ROWS.");
    }
    if (given.size) {
        image.layout.columns = given.size->columns;
        image.layout.rows = given.size->rows;
    }
    image.layout.header = given.header ? *given.header : StrToInt(header);
    image.offset = given.offset ? *given.offset : StrToInt(offset);
    image.swap = image.swap || given.swap;
    if (given.spacing) image.spacingText = *given.spacing;
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
