#include "support/hashEntryPool.h"

#include "support/stubHeap.h"

#include <limits>
#include <new>

namespace
{
// Entries start at a fully aligned offset after the header.
constexpr std::size_t entriesOffset = (sizeof(void*) + alignof(std::max_align_t) - 1) /
                                      alignof(std::max_align_t) * alignof(std::max_align_t);
} // namespace

hashEntryPool::hashEntryPool(int blockSize) : m_blockSize(blockSize < 1 ? 1 : blockSize) {}

void* hashEntryPool::take(std::size_t entrySize)
{
    if (m_freeList == nullptr)
    {
        const auto entries = static_cast<std::size_t>(m_blockSize);
        if (entrySize == 0 ||
            entries > (std::numeric_limits<std::size_t>::max() - entriesOffset) / entrySize)
        {
            return nullptr;
        }
        void* const raw = corHeapAlloc(0, entriesOffset + entries * entrySize);
        if (raw == nullptr)
        {
            return nullptr;
        }
        auto* const block = new (raw) blockHeader{m_blocks};
        m_blocks = block;
        char* const first = static_cast<char*>(raw) + entriesOffset;
        for (std::size_t i = entries; i-- > 0;)
        {
            give(first + i * entrySize);
        }
    }
    freeEntry* const entry = m_freeList;
    m_freeList = entry->next;
    return entry;
}

void hashEntryPool::give(void* entry)
{
    m_freeList = new (entry) freeEntry{m_freeList};
}

void hashEntryPool::releaseAll()
{
    m_freeList = nullptr;
    if (getStubHeap() == nullptr)
    {
        // The heap is gone, and its blocks with it: following the links would read freed memory.
        m_blocks = nullptr;
        return;
    }
    while (m_blocks != nullptr)
    {
        blockHeader* const previous = m_blocks->previous;
        corHeapFree(0, m_blocks);
        m_blocks = previous;
    }
}
