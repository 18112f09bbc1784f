#include "allocation_faults.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

using Malloc = void*(__cdecl*)(std::size_t);
using Calloc = void*(__cdecl*)(std::size_t, std::size_t);
using Realloc = void*(__cdecl*)(void*, std::size_t);
using Strdup = char*(__cdecl*)(const char*);

Malloc g_malloc = nullptr;
Calloc g_calloc = nullptr;
Realloc g_realloc = nullptr;
Strdup g_strdup = nullptr;

char g_moduleName[MAX_PATH] = {};
std::atomic<std::uintptr_t> g_begin{0};
std::atomic<std::uintptr_t> g_end{0};
std::atomic<int> g_mode{static_cast<int>(FaultMode::Off)};
std::atomic<std::size_t> g_counted{0};
std::atomic<std::size_t> g_failAt{0};
std::atomic<std::size_t> g_failed{0};

const IMAGE_NT_HEADERS* Headers(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

// Whether the call came from the module's code. Its place is looked up on
// the first call after arming: the module may be loading just then, or have
// been loaded elsewhere since.
bool FromModule(void* returnAddress) {
    if (!g_begin) {
        const HMODULE module = GetModuleHandleA(g_moduleName);
        if (!module)
            return false;
        const auto begin = reinterpret_cast<std::uintptr_t>(module);
        g_end = begin + Headers(module)->OptionalHeader.SizeOfImage;
        g_begin = begin;
    }
    const auto at = reinterpret_cast<std::uintptr_t>(returnAddress);
    return at >= g_begin && at < g_end;
}

bool Fails(void* returnAddress) {
    const auto mode = static_cast<FaultMode>(g_mode.load());
    if (mode == FaultMode::Off || !FromModule(returnAddress))
        return false;
    const std::size_t n = ++g_counted;
    const bool fails = (mode == FaultMode::FailOne && n == g_failAt) || (mode == FaultMode::FailFrom && n >= g_failAt);
    if (fails) {
        ++g_failed;
        errno = ENOMEM;
    }
    return fails;
}

void* __cdecl CountedMalloc(std::size_t size) {
    return Fails(__builtin_return_address(0)) ? nullptr : g_malloc(size);
}

void* __cdecl CountedCalloc(std::size_t count, std::size_t size) {
    return Fails(__builtin_return_address(0)) ? nullptr : g_calloc(count, size);
}

void* __cdecl CountedRealloc(void* block, std::size_t size) {
    // A size of 0 frees the block: nothing to fail.
    if (size == 0)
        return g_realloc(block, size);
    return Fails(__builtin_return_address(0)) ? nullptr : g_realloc(block, size);
}

char* __cdecl CountedStrdup(const char* text) {
    return Fails(__builtin_return_address(0)) ? nullptr : g_strdup(text);
}

// An export's address is kept as an offset from the module's base, within
// 4 GB above it. On x86-64 the functions here may lie anywhere: each is
// reached through a jump put in a page close enough above the module.
void* Reachable(HMODULE module, void* function) {
#ifdef _WIN64
    static BYTE* page = nullptr;
    static std::size_t used = 0;
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(module);
    const std::uintptr_t granularity = 0x10000;
    for (std::uintptr_t at = (base + Headers(module)->OptionalHeader.SizeOfImage + granularity) & ~(granularity - 1);
         !page && at < base + 0x7FFF0000; at += granularity)
        page = static_cast<BYTE*>(
            VirtualAlloc(reinterpret_cast<void*>(at), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    if (!page)
        return nullptr;
    BYTE* jump = page + used;
    used += 16;
    const BYTE indirect[] = {0xFF, 0x25, 0, 0, 0, 0}; // jmp [rip+0]
    std::memcpy(jump, indirect, sizeof indirect);
    std::memcpy(jump + sizeof indirect, &function, sizeof function);
    return jump;
#else
    (void)module;
    return function;
#endif
}

// Points the named export of `module` at `function`; the function it named
// before.
void* Redirect(HMODULE module, const char* name, void* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& directory = Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    auto* functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
    void* const before = reinterpret_cast<void*>(GetProcAddress(module, name));
    void* const target = before ? Reachable(module, function) : nullptr;
    for (DWORD i = 0; target && i < exports->NumberOfNames; ++i) {
        if (std::strcmp(reinterpret_cast<const char*>(base + names[i]), name) != 0)
            continue;
        DWORD* slot = &functions[ordinals[i]];
        DWORD protection = 0;
        if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
            return nullptr;
        *slot = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(target) - reinterpret_cast<std::uintptr_t>(base));
        VirtualProtect(slot, sizeof *slot, protection, &protection);
        return before;
    }
    return nullptr;
}

template <typename Function>
bool Install(HMODULE msvcrt, const char* name, Function counted, Function& original) {
    original = reinterpret_cast<Function>(Redirect(msvcrt, name, reinterpret_cast<void*>(counted)));
    return original != nullptr;
}

} // namespace

bool InstallAllocationFaults(const char* moduleName) {
    std::strncpy(g_moduleName, moduleName, sizeof g_moduleName - 1);
    if (g_malloc)
        return true;
    const HMODULE msvcrt = GetModuleHandleA("msvcrt.dll");
    return msvcrt && Install(msvcrt, "malloc", CountedMalloc, g_malloc) &&
           Install(msvcrt, "calloc", CountedCalloc, g_calloc) && Install(msvcrt, "realloc", CountedRealloc, g_realloc) &&
           Install(msvcrt, "_strdup", CountedStrdup, g_strdup);
}

void ArmAllocationFaults(FaultMode mode, std::size_t n) {
    g_mode = static_cast<int>(FaultMode::Off);
    g_begin = 0;
    g_end = 0;
    g_counted = 0;
    g_failed = 0;
    g_failAt = n;
    g_mode = static_cast<int>(mode);
}

std::size_t DisarmAllocationFaults() {
    g_mode = static_cast<int>(FaultMode::Off);
    return g_counted;
}

std::size_t FailedAllocations() {
    return g_failed;
}
