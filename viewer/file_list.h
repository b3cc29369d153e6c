#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ctiq {

// The folder part of a path: up to and including its last "/" or "\" (empty without one).
std::string folderPrefix(std::string_view fileName);

// Natural order: runs of digits compare by their value, everything else character by character,
// so "IM2" comes before "IM10".
bool naturalLess(std::string_view a, std::string_view b);

// False for names whose extension says they hold no image (text, tables, reports, pictures the
// viewer does not read, this program's own exports); any other name may be a raw or DICOM image.
bool mayBeAnImage(std::string_view fileName);

// The files (not folders) of the folder `prefix` names that may be images, each as prefix +
// name, in natural order. Throws AppError when the folder cannot be read.
std::vector<std::string> listFolderFiles(const std::string& prefix);

// The index of `fileName` in `list` (exact comparison); throws the list index error with the
// index the search ran to when it is not there.
int indexInList(const std::vector<std::string>& list, std::string_view fileName);

}  // namespace ctiq
