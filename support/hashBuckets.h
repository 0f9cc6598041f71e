#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// hashBuckets: the bucket array of the hash tables and maps: the heads of `count()` chains
// of ENTRY (which has an `ENTRY* next`), in one zero-filled block on the private heap
// (flags 0), null until allocated. The array only links entries: making, destroying and
// storing them is the owner's job, and an owner calls release() only once its chains are
// empty or given up.
// Failure: reset() returns false when the array cannot be allocated (the count is set, the
// array stays null). With no private heap, release() forgets the array without touching it.
// Not thread-safe. Not copyable.

#include "support/stubHeap.h"
#include <reZevavEvadurov/winTypes.h>

template <class ENTRY> class hashBuckets
{
public:
    explicit hashBuckets(UINT count) : m_count(count) {}
    ~hashBuckets() { release(); }
    hashBuckets(const hashBuckets&) = delete;
    hashBuckets& operator=(const hashBuckets&) = delete;

    UINT count() const { return m_count; }
    bool isAllocated() const { return m_heads != nullptr; }

    // Frees the array and takes `count` as the bucket count; with `allocateNow`, allocates a
    // new zero-filled array at once.
    bool reset(UINT count, bool allocateNow)
    {
        release();
        m_count = count;
        if (!allocateNow)
        {
            return true;
        }
        const SIZE_T bytes = SIZE_T{count} * sizeof(ENTRY*);
        void* const block = corHeapAlloc(0, bytes);
        if (block == nullptr)
        {
            return false;
        }
        tw_memset(block, 0, bytes);
        m_heads = static_cast<ENTRY**>(block);
        return true;
    }

    void release()
    {
        if (m_heads != nullptr)
        {
            corHeapFree(0, m_heads); // skipped when there is no private heap
            m_heads = nullptr;
        }
    }

    // Links `e` at the head of `bucket`'s chain. The array must be allocated.
    void pushFront(UINT bucket, ENTRY* e)
    {
        e->next = m_heads[bucket];
        m_heads[bucket] = e;
    }

    // The first entry of `bucket`'s chain for which matches(entry) holds; null when there is
    // none or no array.
    template <class MATCH> ENTRY* find(UINT bucket, const MATCH& matches) const
    {
        if (m_heads == nullptr)
        {
            return nullptr;
        }
        for (ENTRY* e = m_heads[bucket]; e != nullptr; e = e->next)
        {
            if (matches(*e))
            {
                return e;
            }
        }
        return nullptr;
    }

    // Takes that entry out of its chain and returns it; null when there is none.
    template <class MATCH> ENTRY* unlink(UINT bucket, const MATCH& matches)
    {
        if (m_heads == nullptr)
        {
            return nullptr;
        }
        for (ENTRY** link = &m_heads[bucket]; *link != nullptr; link = &(*link)->next)
        {
            ENTRY* const e = *link;
            if (matches(*e))
            {
                *link = e->next;
                return e;
            }
        }
        return nullptr;
    }

    // The head of the first non-empty chain from `bucket` upwards; null when there is none.
    const ENTRY* firstFrom(UINT bucket) const
    {
        if (m_heads == nullptr)
        {
            return nullptr;
        }
        for (; bucket < m_count; ++bucket)
        {
            if (m_heads[bucket] != nullptr)
            {
                return m_heads[bucket];
            }
        }
        return nullptr;
    }

    // The entry after `e`, which lies in `bucket`, in iteration order: bucket 0 upwards, each
    // chain head to tail.
    const ENTRY* after(const ENTRY* e, UINT bucket) const
    {
        return e->next != nullptr ? e->next : firstFrom(bucket + 1);
    }

    // Calls visit(entry) on every entry, bucket 0 upwards; `visit` may destroy the entry.
    template <class VISIT> void forEach(const VISIT& visit) const
    {
        if (m_heads == nullptr)
        {
            return;
        }
        for (UINT b = 0; b < m_count; ++b)
        {
            for (ENTRY* e = m_heads[b]; e != nullptr;)
            {
                ENTRY* const next = e->next;
                visit(e);
                e = next;
            }
        }
    }

private:
    ENTRY** m_heads = nullptr;
    UINT m_count;
};

#pragma GCC visibility pop
