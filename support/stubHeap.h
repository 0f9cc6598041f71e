#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The support library's private heap and its allocation entry points.
//
// createStubHeap() is called once at start-up before anything allocates from the private
// heap; getStubHeap() returns null until then (and after destroyStubHeap()). The corHeap*
// functions with no heap argument use the private heap and return null / do nothing when
// there is none (so nothing allocates before createStubHeap, and frees after destroyStubHeap
// abandon their block). Every block is at least `size` bytes; flags are always 0 here.
// A block that does not belong to the heap is refused (freeing it does nothing). These
// calls leave the caller's last-error code unchanged.
// Thread-safety: the heap serialises its own calls (as a Windows heap does).

#include <reZevavEvadurov/winTypes.h>

// Idempotent; returns the private heap (the existing one on a repeated call), or null when it
// cannot be created, in which case getStubHeap() stays null. Start-up ignores the result.
HANDLE createStubHeap();
HANDLE getStubHeap();
void destroyStubHeap(); // frees every block still on the heap; for tests and process exit

void* corHeapAlloc(DWORD flags, SIZE_T size);
void* corHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size);
// Grows or shrinks a block, keeping its contents; null (block unchanged) on failure.
void* corHeapReAlloc(DWORD flags, void* block, SIZE_T size);
void corHeapFree(DWORD flags, void* block);
void corHeapFree(HANDLE heap, DWORD flags, void* block);

// Fills `count` bytes of `block` with `value`.
void tw_memset(void* block, int value, SIZE_T count);

// Registry of heaps the program created itself (the log heap, the file store's buffers).
// Bookkeeping only: registering never takes ownership; adding twice registers once; a null
// heap is ignored. Thread-safe. The registry is never destroyed, so static objects may add and
// remove heaps during static destruction, in any order.
namespace corHeaps
{
void addHeap(HANDLE heap);
void removeHeap(HANDLE heap);
bool isRegistered(HANDLE heap); // for tests and diagnostics
int count();                    // number of registered heaps
} // namespace corHeaps

#pragma GCC visibility pop
