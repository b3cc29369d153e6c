#pragma once

#include <cstdint>
#include <string>

#include "image/stored_image.h"

namespace ctiq {

// Files larger than this cannot be a CT slice; they are refused before anything is read.
constexpr std::uint64_t kMaxImageFileBytes = std::uint64_t{1} << 30;  // 1 GiB

// Reads the whole file into `into` (emptied first). Throws the "cannot open file" error for a
// missing, unreadable or non-regular file, and a clear message for a file above the limit.
void readWholeFile(const std::string& path, ImageBytes& into);

}  // namespace ctiq
