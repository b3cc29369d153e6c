#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ctiq {

// The one way the programs write a file (trimmed images, phantoms, plots, reports): through a
// temporary file beside the target that replaces it only once it is complete, so a failure
// neither leaves a partial file nor harms an existing one. Refused by name, before anything is
// written: a target that is a symbolic link (never written through), a folder, a FIFO, a device
// or a socket (never replaced by a regular file), and a read-only file (not replaced behind its
// owner's back, root included). A new file gets the mode the user's umask gives; a replaced one
// keeps its mode. A file-size limit makes the write fail with a message instead of ending the
// program. Throws AppError with the reason.
void saveFileSafely(const std::string& path, const void* data, std::size_t size);
void saveFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace ctiq
