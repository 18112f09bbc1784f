// Makes one module's C library allocations fail on purpose, counted one by
// one: malloc, calloc, realloc and _strdup of msvcrt.dll as the module calls
// them, which C++ new and the C++ runtime linked into it use too. The
// counting functions take the place of msvcrt's in its export table, so a
// module loaded afterwards is bound to them, its start-up code included;
// they count only the calls made from the module's own code.
#pragma once

#include <cstddef>

enum class FaultMode {
    Off,      // nothing counted, nothing fails
    Count,    // counted, nothing fails
    FailOne,  // allocation n alone fails
    FailFrom, // allocation n and every later one fail
};

// Puts the counting functions in place for the module of that file name
// ("VelmoroMailSearch.dll"), which must not be loaded yet. False when
// msvcrt's export table cannot be changed.
bool InstallAllocationFaults(const char* moduleName);

// Counts afresh from now on; allocations are numbered from 1.
void ArmAllocationFaults(FaultMode mode, std::size_t n = 0);

// Stops failing and counting; the number of allocations counted since armed.
std::size_t DisarmAllocationFaults();

// How many allocations failed since armed.
std::size_t FailedAllocations();
