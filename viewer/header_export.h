#pragma once

#include <string>
#include <vector>

#include "load/dicom/dicom_header.h"

namespace ctiq {

// The header table as tab-separated text for a spreadsheet: the title row, then every row of an
// even group (private odd groups and group FFFE left out; an empty group counts as even) with its
// seven cells, characters of code 0 removed from the value and tabs and line breaks in it turned
// into blanks, so every line keeps seven columns; every line ends with CR LF.
std::string headerTableText(const HeaderRow& titles, const std::vector<HeaderRow>& rows);

}  // namespace ctiq
