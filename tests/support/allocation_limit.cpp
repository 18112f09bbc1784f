#include "allocation_limit.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Live bytes, the limit and the peak, counted from the limit's start.
std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_base{0};
std::atomic<std::size_t> g_limit{SIZE_MAX};
std::atomic<std::size_t> g_peak{0};
const std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    const std::size_t live = g_live.fetch_add(size) + size;
    if (live - g_base > g_limit) {
        g_live -= size;
        throw std::bad_alloc();
    }
    char* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block) {
        g_live -= size;
        throw std::bad_alloc();
    }
    for (std::size_t peak = g_peak; live > peak && !g_peak.compare_exchange_weak(peak, live);) {
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    return block + kHeader;
}

void Release(void* pointer) noexcept {
    if (!pointer)
        return;
    char* block = static_cast<char*>(pointer) - kHeader;
    g_live -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }

AllocationLimit::AllocationLimit(std::size_t bytes) {
    g_base = g_live.load();
    g_peak = g_base.load();
    g_limit = bytes;
}

AllocationLimit::~AllocationLimit() {
    g_limit = SIZE_MAX;
    g_base = 0;
}

std::size_t AllocationLimit::Peak() const {
    return g_peak - g_base;
}
