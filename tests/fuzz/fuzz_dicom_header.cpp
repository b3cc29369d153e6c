// The DICOM header reader over arbitrary bytes, and the export of what it read.
#include <cstddef>
#include <cstdint>

#include "load/dicom/dicom_header.h"
#include "viewer/header_export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ctiq;
    const DicomHeaderResult r = readDicomHeader(data, size, TagDictionary::builtIn());
    if (r.walked) (void)headerTableText(kHeaderTableTitles, r.rows);
    return 0;
}
