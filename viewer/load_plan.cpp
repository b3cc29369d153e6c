#include "viewer/load_plan.h"

#include "common/app_error.h"
#include "viewer/dicom/tag_dictionary.h"

namespace ctiq {

LoadPlan planLoad(const std::string& path, const ImageBytes& bytes, LoadMode mode) {
    LoadPlan plan;
    plan.name = splitNameGeometry(path);
    plan.columns = plan.name.columns;
    plan.rows = plan.name.rows;
    plan.suggestion = plan.name.suggestion;
    if (mode == LoadMode::Dicom && plan.needsSize()) {
        plan.dicom = readDicomHeader(bytes.data(), bytes.size(), TagDictionary::builtIn());
        const DicomFieldWrites& f = plan.dicom->fields;
        if (f.columns) plan.columns = *f.columns;
        if (f.rows) plan.rows = *f.rows;
        plan.suggestion = plan.columns + " " + plan.rows;
    }
    // A suggestion shorter than "N N" says nothing: offer a square that fits the file instead.
    if (plan.needsSize() && plan.suggestion.size() < 4)
        plan.suggestion =
            sizeSuggestion(static_cast<std::int64_t>(bytes.size()), sampleBytes(loadFormat(mode)));
    return plan;
}

RoiFields defaultRoi(std::int32_t columns, std::int32_t rows) {
    return {columns / 2, rows / 2, 256, 256};
}

void requireShowableDicom(const DicomHeaderResult& dicom) {
    if (dicom.error) throw AppError(*dicom.error);
    if (dicom.compressedSyntax) throw AppError(compressedImageMessage(*dicom.compressedSyntax));
}

}  // namespace ctiq
