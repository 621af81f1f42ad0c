// Counts every heap allocation of the process. The executable that links AllocCounter.cpp defines malloc
// and its relatives, so they stand in for the C library's in every library the process loads.
#pragma once

#include <cstdint>

// Allocations (malloc, calloc, realloc, the aligned forms, and so operator new) since the last reset.
uint64_t AllocationCount();
void ResetAllocationCount();
// False in a build with AddressSanitizer, whose allocator takes the place of these counters.
bool AllocationCountingAvailable();
// Counting happens only while this is on.
void SetAllocationCounting(bool on);
