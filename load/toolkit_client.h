#pragma once

#include <cstdint>
#include <string>

#include "image/stored_image.h"
#include "load/dicom/toolkit_wire.h"

namespace ctiq {

// Reads a file with the DICOM toolkit, in the sandboxed helper process of the calling thread:
// started on the first file that needs it and kept for the thread's later files; a helper that
// failed is replaced by a fresh one for the next file. Never throws for what the file holds: a
// crash, a limit, a blocked program start or a time-out refuses this file (outcome Refused,
// no header, the reason in the user's language).
dicom::ToolkitAnswer readWithToolkitHelper(const ImageBytes& bytes, bool listRows,
                                           std::uint32_t frame = 0);

// Where the helper executable is: $CTIQ_DICOM_HELPER, else installed beside the program
// (../libexec/ctiq/ or the program's own folder), else the build tree's.
std::string toolkitHelperPath();

}  // namespace ctiq
