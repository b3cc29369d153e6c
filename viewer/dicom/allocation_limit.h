#pragma once

#include <cstddef>

namespace ctiq {

// While one of these lives, a single allocation on this thread larger than `bytes` fails with
// std::bad_alloc. The DICOM toolkit sizes buffers from lengths a file declares (and guesses at
// lengths in broken files); under this limit a small hostile file is refused instead of taking
// gigabytes. Limits nest; the innermost holds.
class AllocationLimit {
  public:
    explicit AllocationLimit(std::size_t bytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

  private:
    std::size_t previous_;
};

}  // namespace ctiq
