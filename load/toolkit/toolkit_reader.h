#pragma once

#include "load/dicom/toolkit_wire.h"

namespace ctiq::toolkit {

// Reads one file with the DICOM toolkit (GDCM): its header rows by the scanner's rules, and the
// asked frame decoded, after the compressed stream was checked against the header. Runs inside
// the sandboxed helper only: a fault in the toolkit ends the helper, never the program.
dicom::ToolkitAnswer readWithToolkit(const dicom::ToolkitRequest& request);

}  // namespace ctiq::toolkit
