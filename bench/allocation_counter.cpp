// The replaced global operator new and delete, every usual overload, on top
// of malloc and free; new counts itself while counting is on.
#include "bench/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace orvane::bench {
namespace {

std::atomic<bool> counting{false};
std::atomic<std::uint64_t> allocations{0};

void count() {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
}

void* allocate(std::size_t size) noexcept {
    count();
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) noexcept {
    count();
    std::size_t bytes = static_cast<std::size_t>(alignment);
    if (bytes < sizeof(void*)) {
        bytes = sizeof(void*);
    }
    void* memory = nullptr;
    if (posix_memalign(&memory, bytes, size == 0 ? 1 : size) != 0) {
        return nullptr;
    }
    return memory;
}

void* allocateOrThrow(void* memory) {
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

} // namespace

void startCountingAllocations() {
    counting.store(true, std::memory_order_relaxed);
}

void stopCountingAllocations() {
    counting.store(false, std::memory_order_relaxed);
}

std::uint64_t countedAllocations() {
    return allocations.load(std::memory_order_relaxed);
}

} // namespace orvane::bench

using orvane::bench::allocate;
using orvane::bench::allocateAligned;
using orvane::bench::allocateOrThrow;

void* operator new(std::size_t size) {
    return allocateOrThrow(allocate(size));
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(allocate(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(allocateAligned(size, alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(allocateAligned(size, alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}
