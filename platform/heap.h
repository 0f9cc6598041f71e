#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Private heaps with the Windows heap functions' names and results. A heap tracks its
// blocks, so HeapDestroy frees every block still allocated from it. Each heap serialises its
// own calls. Blocks are aligned for any fundamental type.

#include <reZevavEvadurov/winTypes.h>

constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

// Null on failure (last error ERROR_NOT_ENOUGH_MEMORY). A maximum of 0 means growable.
HANDLE HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
BOOL HeapDestroy(HANDLE heap);
// Null when the heap refuses (last error unchanged, as on Windows without
// HEAP_GENERATE_EXCEPTIONS) or the handle is not a live heap.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
// Null on failure; the original block is then untouched and still allocated.
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);    // a null block succeeds
SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block); // (SIZE_T)-1 for an unknown block

// Test seam, not a Windows function: after `allowed` more successful allocations or
// reallocations on `heap`, every further one fails until reset with a negative `allowed`.
void heapSetFailAfter(HANDLE heap, long allowed);
// Number of live blocks on `heap` (for leak checks in tests).
SIZE_T heapBlockCount(HANDLE heap);

#pragma GCC visibility pop
