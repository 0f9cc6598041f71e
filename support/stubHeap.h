#pragma once

// The support library's private heap and its allocation entry points.
//
// createStubHeap() is called once at start-up before anything allocates from the private
// heap; getStubHeap() returns null until then (and after destroyStubHeap()). The corHeap*
// functions with no heap argument use the private heap and return null / do nothing when
// there is none. Every block is at least `size` bytes; flags are always 0 here.
// Thread-safety: the heap serialises its own calls (as a Windows heap does).

#include "platform/winTypes.h"

void createStubHeap();
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
namespace corHeaps
{
void addHeap(HANDLE heap);
void removeHeap(HANDLE heap);
bool isRegistered(HANDLE heap); // for tests and diagnostics
int count();                    // number of registered heaps
} // namespace corHeaps
