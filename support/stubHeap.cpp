#include "support/stubHeap.h"

#include "platform/heap.h"
#include <reZevavEvadurov/lastError.h>

#include <atomic>
#include <cstring>

namespace
{
// The support library's one private heap; null before createStubHeap and after destroyStubHeap.
std::atomic<HANDLE> g_stubHeap{nullptr};
} // namespace

HANDLE createStubHeap()
{
    const lastErrorPreserver preserveLastError;
    if (HANDLE const existing = g_stubHeap.load())
    {
        return existing;
    }
    HANDLE const heap = HeapCreate(0, 0, 0);
    HANDLE expected = nullptr;
    if (heap != nullptr && !g_stubHeap.compare_exchange_strong(expected, heap))
    {
        HeapDestroy(heap); // another thread won the race
        return expected;
    }
    return heap;
}

HANDLE getStubHeap()
{
    return g_stubHeap.load();
}

void destroyStubHeap()
{
    const lastErrorPreserver preserveLastError;
    HANDLE const heap = g_stubHeap.exchange(nullptr);
    if (heap != nullptr)
    {
        HeapDestroy(heap);
    }
}

void* corHeapAlloc(DWORD flags, SIZE_T size)
{
    return corHeapAlloc(getStubHeap(), flags, size);
}

void* corHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size)
{
    if (heap == nullptr)
    {
        return nullptr;
    }
    const lastErrorPreserver preserveLastError;
    return HeapAlloc(heap, flags, size);
}

void* corHeapReAlloc(DWORD flags, void* block, SIZE_T size)
{
    HANDLE const heap = getStubHeap();
    if (heap == nullptr || block == nullptr)
    {
        return nullptr;
    }
    const lastErrorPreserver preserveLastError;
    return HeapReAlloc(heap, flags, block, size);
}

void corHeapFree(DWORD flags, void* block)
{
    corHeapFree(getStubHeap(), flags, block);
}

void corHeapFree(HANDLE heap, DWORD flags, void* block)
{
    if (heap == nullptr || block == nullptr)
    {
        return; // no heap: the block is abandoned, as callers expect
    }
    const lastErrorPreserver preserveLastError;
    HeapFree(heap, flags, block);
}

void tw_memset(void* block, int value, SIZE_T count)
{
    if (block != nullptr && count != 0)
    {
        std::memset(block, value, count);
    }
}
