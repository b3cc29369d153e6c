// The whole DICOM load over arbitrary bytes: the header scanner, the consistency check, the
// toolkit helper's parse and decoding where the scanner cannot serve, and the automatic window of
// what was decoded.
#include <cstddef>
#include <cstdint>

#include "common/app_error.h"
#include "common/number_text.h"
#include "load/load_plan.h"
#include "viewer/auto_window.h"
#include "viewer/header_export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ctiq;
    const ImageBytes bytes(data, data + size);
    try {
        const LoadPlan plan = planLoad("fuzz.dcm", bytes, LoadMode::Dicom);
        if (plan.dicom) (void)headerTableText(kHeaderTableTitles, plan.dicom->rows);
        requireShowable(plan);
        if (plan.decoded) {
            const StoredImageLayout layout{0, StrToInt(plan.columns), StrToInt(plan.rows),
                                           SampleFormat::Word16};
            requireStoredImageInside(layout, plan.decoded->samples.size());
            (void)computeAutoWindow(plan.decoded->samples.data(), plan.decoded->samples.size(),
                                    layout, SampleValueRule{});
        }
    } catch (const AppError&) {
    }
    return 0;
}
