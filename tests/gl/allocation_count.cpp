// In a unit of its own, so that the compiler never sees new and free
// together. Only in the plain build: the sanitizers' operator new has many
// forms, each of which must pair with their own delete.
#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
long allocationCount() {
    return -1;
}
#else
static std::atomic<long> allocations{0};

long allocationCount() {
    return allocations;
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}
#endif
