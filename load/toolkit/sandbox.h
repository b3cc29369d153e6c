#pragma once

#include <cstddef>
#include <string>

namespace ctiq::toolkit {

// The helper's confinement, in one platform file (Linux: seccomp and resource limits; a Windows
// build would put the helper in a job object).

// From here on the process can start no program and no other process (threads remain); a try
// ends it by SIGSYS. Also for root. Returns false with `error` set when the system refuses.
bool confineProcess(std::string& error);

// Freed memory stays with the process for the next file: the helper's buffers are the same few
// megabytes file after file, and handing them back and faulting them in again cost more than the
// decoding (measured: 13.4 against 8 ms for a 512 × 512 JPEG lossless slice).
void keepFreedMemory();

// Limits for reading one file of `fileSize` bytes: address space and CPU time (a decoder that
// spins is ended by SIGXCPU). Called before each file.
void limitForFile(std::size_t fileSize);

}  // namespace ctiq::toolkit
