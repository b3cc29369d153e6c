// The helper's reading in this process: the pre-walk, the checks of the compressed streams, the
// DICOM toolkit's parse and decoding of the first frame (whole files as inputs, so every syntax's
// fixtures seed it). In the program a fault here ends the sandboxed helper only.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "load/toolkit/toolkit_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ctiq::dicom::ToolkitRequest request;
    request.file.assign(data, data + size);
    request.listRows = size % 2 == 0;  // half the runs also build the header table
    try {
        (void)ctiq::toolkit::readWithToolkit(request);
    } catch (const std::exception&) {
        // The helper answers a toolkit exception with a refusal; only faults matter here.
    }
    return 0;
}
