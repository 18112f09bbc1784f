// Every allocation through operator new in a test program is counted, so
// that a test can bound what a piece of code may allocate, or make it run
// out of memory on purpose.
#pragma once

#include <cstddef>

// While it lives, an allocation that would take the bytes allocated since
// its start (and not freed yet) beyond `bytes` throws std::bad_alloc, as a
// full address space would; what was allocated before it does not count,
// whenever it is freed. Its peak is the most that was allocated at once
// meanwhile. With SIZE_MAX it only counts.
class AllocationLimit {
public:
    explicit AllocationLimit(std::size_t bytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

    std::size_t Peak() const;
};
