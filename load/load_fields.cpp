#include "load/load_fields.h"

#include <QString>

#include "common/number_text.h"

namespace ctiq {

namespace {

std::optional<std::string> headerText(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    // The header's field values are codes and numbers: their bytes one per character.
    return QString::fromLatin1(value->data(), static_cast<qsizetype>(value->size())).toStdString();
}

}  // namespace

LoadFields loadFields(const LoadPlan& plan) {
    LoadFields fields;
    if (!plan.noImage) {  // a file without an image has no size
        fields.columns = plan.columns;
        fields.rows = plan.rows;
    }
    fields.spacing = plan.name.spacing;
    if (!plan.dicom) return fields;
    const DicomFieldWrites& f = plan.dicom->fields;
    if (f.columns && !plan.noImage) fields.columns = *headerText(f.columns);
    if (f.rows && !plan.noImage) fields.rows = *headerText(f.rows);
    if (f.pixelSpacing) fields.spacing = *headerText(f.pixelSpacing);
    fields.header = headerText(f.header);
    fields.offset = headerText(f.offset);
    fields.fieldOfView = headerText(f.fieldOfView);
    fields.windowLevel = headerText(f.windowLevel);
    fields.windowWidth = headerText(f.windowWidth);
    fields.swap = f.swap;
    return fields;
}

void answerSizePrompt(LoadFields& fields, MatrixSize size) {
    fields.columns = IntToStr(size.columns);
    fields.rows = IntToStr(size.rows);
    fields.header = "0";
}

}  // namespace ctiq
