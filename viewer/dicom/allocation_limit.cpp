#include "viewer/dicom/allocation_limit.h"

#include <cstdlib>
#include <new>

namespace ctiq {
namespace {

thread_local std::size_t currentLimit = 0;  // 0: no limit

}  // namespace

AllocationLimit::AllocationLimit(std::size_t bytes) : previous_(currentLimit) {
    currentLimit = bytes;
}

AllocationLimit::~AllocationLimit() {
    currentLimit = previous_;
}

}  // namespace ctiq

// The program's replacements of the plain (not over-aligned) allocation functions, all on malloc
// and free so that every form pairs with every other, also under the sanitizers' own versions.
namespace {

void* allocate(std::size_t size) {
    if (ctiq::currentLimit != 0 && size > ctiq::currentLimit) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
