#include "settings/settingsFileHeap.h"

#include "platform/heap.h"
#include "support/stubHeap.h"

SIZE_T settingsFileHeap::initialSizeForLoad(std::uint64_t fileSize)
{
    if (fileSize <= 65536)
    {
        return defaultInitialSize;
    }
    return static_cast<SIZE_T>(fileSize + 4096);
}

settingsFileHeap::settingsFileHeap(SIZE_T initialSize) : m_heap(HeapCreate(0, initialSize, 0))
{
    if (m_heap != nullptr)
    {
        corHeaps::addHeap(m_heap);
    }
}

settingsFileHeap::~settingsFileHeap()
{
    if (m_heap != nullptr)
    {
        // Unregistered first, so the registry never lists a heap that is already gone.
        corHeaps::removeHeap(m_heap);
        HeapDestroy(m_heap);
    }
}

void* settingsFileHeap::allocate(SIZE_T bytes)
{
    return m_heap == nullptr ? nullptr : HeapAlloc(m_heap, 0, bytes);
}

void* settingsFileHeap::reallocate(void* block, SIZE_T bytes)
{
    return m_heap == nullptr ? nullptr : HeapReAlloc(m_heap, 0, block, bytes);
}

void settingsFileHeap::release(void* block)
{
    if (m_heap != nullptr && block != nullptr)
    {
        HeapFree(m_heap, 0, block);
    }
}
