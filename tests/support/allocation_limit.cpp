#include "allocation_limit.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// What stands in front of every block: its size, and the number of the
// limit it was allocated under (0: none). Only blocks of the limit in force
// count against it, so memory allocated before it and freed meanwhile never
// makes the count wrap around.
struct Header {
    std::size_t size;
    unsigned limit;
};
const std::size_t kAlignment = alignof(std::max_align_t);
const std::size_t kHeader = (sizeof(Header) + kAlignment - 1) / kAlignment * kAlignment;

std::atomic<unsigned> g_limitInForce{0};
std::atomic<unsigned> g_limitsMade{0};
std::atomic<std::size_t> g_limit{SIZE_MAX};
std::atomic<std::size_t> g_live{0}; // bytes allocated under the limit in force, not yet freed
std::atomic<std::size_t> g_peak{0};

void* Allocate(std::size_t size) {
    const unsigned limit = g_limitInForce;
    if (limit) {
        const std::size_t live = g_live.fetch_add(size) + size;
        if (live > g_limit) {
            g_live -= size;
            throw std::bad_alloc();
        }
        for (std::size_t peak = g_peak; live > peak && !g_peak.compare_exchange_weak(peak, live);) {
        }
    }
    char* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block) {
        if (limit)
            g_live -= size;
        throw std::bad_alloc();
    }
    *reinterpret_cast<Header*>(block) = {size, limit};
    return block + kHeader;
}

void Release(void* pointer) noexcept {
    if (!pointer)
        return;
    char* block = static_cast<char*>(pointer) - kHeader;
    const Header header = *reinterpret_cast<Header*>(block);
    if (header.limit && header.limit == g_limitInForce)
        g_live -= header.size;
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
    g_live = 0;
    g_peak = 0;
    g_limit = bytes;
    g_limitInForce = ++g_limitsMade;
}

AllocationLimit::~AllocationLimit() {
    g_limitInForce = 0;
    g_limit = SIZE_MAX;
}

std::size_t AllocationLimit::Peak() const {
    return g_peak;
}
