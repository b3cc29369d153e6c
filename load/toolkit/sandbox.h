#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ctiq::toolkit {

// The helper's confinement, in one platform file (Linux: Landlock, a seccomp allow-list and
// resource limits; a Windows build would put the helper in a job object).

// How far the file system is closed to the process.
enum class FileSystemConfinement {
    Landlock,       // the kernel denies every path (no rule grants one)
    SeccompOnly,    // a kernel without Landlock: only the system call filter refuses opening
};

// From here on the process may only compute, use memory, read and write the descriptors it
// holds, make threads and keep time (the list and why each call is on it: sandbox_linux.cpp).
// Starting a program or a process, tracing, and the calls of another process end it by SIGSYS;
// every other call (opening any path, creating files, sockets, connecting) fails with EPERM.
// Also for root. Returns false with `error` set when the system refuses the filter.
bool confineProcess(std::string& error, FileSystemConfinement* confinement = nullptr);

// Freed memory stays with the process for the next file: the helper's buffers are the same few
// megabytes file after file, and handing them back and faulting them in again cost more than the
// decoding (measured: 13.4 against 8 ms for a 512 × 512 JPEG lossless slice).
void keepFreedMemory();

// The budget for reading one file of `fileSize` bytes whose header declares frames of
// `frameBytes` decoded bytes (0 when it declares none): CPU time and address space growing with
// both (a decoder that spins is ended by SIGXCPU, one that runs away by a failed allocation).
// Called before each file.
void limitForFile(std::size_t fileSize, std::uint64_t frameBytes);

}  // namespace ctiq::toolkit
