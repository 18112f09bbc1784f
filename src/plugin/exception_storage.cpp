// Where the C++ runtime keeps an exception while it is thrown, and each
// thread's record of the exceptions it is handling: here, in storage of the
// DLL's own, instead of the heap.
//
// The plug-in throws std::bad_alloc when memory has run out, and must then
// get out of the failure without memory. The runtime's own ways need it: an
// exception is a heap block, else a block of an emergency pool that start-up
// took from the heap (none at all if that failed); a thread's records are
// thread storage made with malloc the first time the thread throws, and
// abort() ends the mail client when that malloc fails. These functions take
// the runtime's place (the linker then leaves its own out). Their contract is
// the C++ ABI's: an exception's block holds the runtime's header right
// before the object thrown, zeroed, and a thread's record starts with the
// exception being handled and the count of those not yet caught.
#include "plugin/exception_storage.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <exception>

namespace __cxxabiv1 {

struct __cxa_eh_globals {
    __cxa_exception* caughtExceptions;
    unsigned int uncaughtExceptions;
};

} // namespace __cxxabiv1

namespace {

using __cxxabiv1::__cxa_dependent_exception;
using __cxxabiv1::__cxa_eh_globals;

// Room for the runtime's header in front of an exception: more than its
// size (96 bytes for i686, 160 for x86-64, with GCC 12); the object after it
// keeps the block's alignment. The plug-in throws small objects only
// (bad_alloc, length_error); a larger one takes a heap block.
const std::size_t kHeaderRoom = 256;
const std::size_t kObjectRoom = 256;
const std::size_t kBlockSize = kHeaderRoom + kObjectRoom;
// Exceptions alive at once: one thrown, one more thrown while it unwinds,
// and some to spare.
const int kBlocks = 4;

alignas(16) unsigned char g_blocks[kBlocks][kBlockSize];
volatile LONG g_blockTaken[kBlocks];

void* TakeBlock(std::size_t size) {
    if (size <= kBlockSize) {
        for (int i = 0; i < kBlocks; ++i) {
            if (InterlockedCompareExchange(&g_blockTaken[i], 1, 0) == 0)
                return g_blocks[i];
        }
    }
    return std::malloc(size);
}

void GiveBlockBack(void* block) {
    const auto* bytes = static_cast<unsigned char*>(block);
    if (bytes >= g_blocks[0] && bytes < g_blocks[0] + sizeof g_blocks) {
        InterlockedExchange(&g_blockTaken[(bytes - g_blocks[0]) / kBlockSize], 0);
        return;
    }
    std::free(block);
}

// Each thread that runs the plug-in's code has a record; the threads that
// call in are few (the macro's), more take one from the system's heap.
struct ThreadRecord {
    volatile LONG thread; // its id; 0 for a free record
    __cxa_eh_globals globals;
};
const int kThreadRecords = 16;
ThreadRecord g_threadRecords[kThreadRecords];

__cxa_eh_globals* RecordOfThisThread() {
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    for (ThreadRecord& record : g_threadRecords) {
        if (record.thread == self)
            return &record.globals;
    }
    for (ThreadRecord& record : g_threadRecords) {
        if (InterlockedCompareExchange(&record.thread, self, 0) == 0) {
            record.globals = {};
            return &record.globals;
        }
    }
    return nullptr;
}

} // namespace

namespace __cxxabiv1 {
extern "C" {

void* __cxa_allocate_exception(std::size_t size) noexcept {
    void* block = TakeBlock(kHeaderRoom + size);
    if (!block)
        std::terminate();
    std::memset(block, 0, kHeaderRoom);
    return static_cast<unsigned char*>(block) + kHeaderRoom;
}

void __cxa_free_exception(void* object) noexcept {
    GiveBlockBack(static_cast<unsigned char*>(object) - kHeaderRoom);
}

__cxa_dependent_exception* __cxa_allocate_dependent_exception() noexcept {
    void* block = TakeBlock(kHeaderRoom);
    if (!block)
        std::terminate();
    std::memset(block, 0, kHeaderRoom);
    return static_cast<__cxa_dependent_exception*>(block);
}

void __cxa_free_dependent_exception(__cxa_dependent_exception* exception) noexcept {
    GiveBlockBack(exception);
}

__cxa_eh_globals* __cxa_get_globals_fast() noexcept {
    return __cxa_get_globals();
}

__cxa_eh_globals* __cxa_get_globals() noexcept {
    if (__cxa_eh_globals* record = RecordOfThisThread())
        return record;
    // Beyond the records kept here: one of the thread's own, from the
    // system's heap, kept for the thread's life.
    static DWORD extra = TlsAlloc();
    auto* record = static_cast<__cxa_eh_globals*>(TlsGetValue(extra));
    if (!record) {
        record = static_cast<__cxa_eh_globals*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *record));
        if (!record)
            std::abort();
        TlsSetValue(extra, record);
    }
    return record;
}

} // extern "C"
} // namespace __cxxabiv1

void ReleaseThreadExceptionRecord() noexcept {
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    for (ThreadRecord& record : g_threadRecords) {
        if (record.thread == self)
            InterlockedExchange(&record.thread, 0);
    }
}
