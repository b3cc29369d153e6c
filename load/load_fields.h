#pragma once

#include <optional>
#include <string>

#include "load/load_plan.h"
#include "load/name_geometry.h"

namespace ctiq {

// The image fields a load fills, as the texts they show (UTF-8; a header's values read as
// Latin-1), for the viewer's fields and ctiq-cli alike. A field the file says nothing of is
// absent: it keeps what it holds (the user's header length, offset, "Swap").
struct LoadFields {
    std::string columns, rows;  // empty where the size is unknown: the size prompt asks
    std::string spacing;        // the name's, else the header's
    std::optional<std::string> header, offset, fieldOfView, windowLevel, windowWidth;
    std::optional<bool> swap;
};

// The fields as the file decides them, before any prompt: the name's geometry, then what the
// DICOM header says.
LoadFields loadFields(const LoadPlan& plan);

// The size prompt's answer (ctiq-cli: --size) for a file whose size is unknown: the image is read
// from the file's first byte.
void answerSizePrompt(LoadFields& fields, MatrixSize size);

}  // namespace ctiq
