#include "support/hashTable.h"

#include "support/stubHeap.h"

#include <cstdint>
#include <new>

hashTable::hashTable(int blockSize) : m_pool(blockSize) {}

hashTable::~hashTable()
{
    RemoveAll();
}

UINT hashTable::bucketOf(const void* key) const
{
    const auto low = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(key));
    return (low >> 4) % m_bucketCount;
}

hashTable::entry* hashTable::find(const void* key, UINT& bucket) const
{
    bucket = bucketOf(key);
    if (m_buckets == nullptr)
    {
        return nullptr;
    }
    for (entry* e = m_buckets[bucket]; e != nullptr; e = e->next)
    {
        if (e->key == key)
        {
            return e;
        }
    }
    return nullptr;
}

BOOL hashTable::Lookup(void* key, void*& value) const
{
    UINT bucket = 0;
    const entry* const found = find(key, bucket);
    if (found == nullptr)
    {
        return FALSE;
    }
    value = found->value;
    return TRUE;
}

BOOL hashTable::SetAt(void* key, void* value)
{
    UINT bucket = 0;
    if (entry* const found = find(key, bucket))
    {
        found->value = value;
        return TRUE;
    }
    void* slot = nullptr;
    if (m_buckets != nullptr || InitHashTable(m_bucketCount, TRUE))
    {
        slot = m_pool.take(sizeof(entry));
    }
    if (slot == nullptr)
    {
        if (m_count == 0)
        {
            RemoveAll(); // an empty table keeps no memory, even after a failure
        }
        return FALSE;
    }
    m_buckets[bucket] = ::new (slot) entry{m_buckets[bucket], key, value};
    ++m_count;
    return TRUE;
}

BOOL hashTable::RemoveKey(void* key)
{
    if (m_buckets == nullptr)
    {
        return FALSE;
    }
    entry** link = &m_buckets[bucketOf(key)];
    for (entry* e = *link; e != nullptr; link = &e->next, e = e->next)
    {
        if (e->key == key)
        {
            *link = e->next;
            m_pool.give(e);
            if (--m_count == 0)
            {
                RemoveAll();
            }
            return TRUE;
        }
    }
    return FALSE;
}

void hashTable::RemoveAll()
{
    freeBuckets();
    m_count = 0;
    m_pool.releaseAll();
}

BOOL hashTable::InitHashTable(UINT bucketCount, BOOL allocateNow)
{
    if (bucketCount == 0 || m_count != 0)
    {
        return FALSE;
    }
    freeBuckets();
    m_bucketCount = bucketCount;
    if (allocateNow)
    {
        const SIZE_T bytes = SIZE_T{bucketCount} * sizeof(entry*);
        void* const block = corHeapAlloc(0, bytes);
        if (block == nullptr)
        {
            return FALSE;
        }
        tw_memset(block, 0, bytes);
        m_buckets = static_cast<entry**>(block);
    }
    return TRUE;
}

const hashTable::entry* hashTable::firstFrom(UINT bucket) const
{
    if (m_buckets == nullptr)
    {
        return nullptr;
    }
    for (; bucket < m_bucketCount; ++bucket)
    {
        if (m_buckets[bucket] != nullptr)
        {
            return m_buckets[bucket];
        }
    }
    return nullptr;
}

void hashTable::GetNextAssoc(POSITION& position, void*& key, void*& value) const
{
    const entry* const e =
        position == BEFORE_START_POSITION ? firstFrom(0) : reinterpret_cast<const entry*>(position);
    if (e == nullptr)
    {
        position = nullptr;
        return;
    }
    const entry* const next = e->next != nullptr ? e->next : firstFrom(bucketOf(e->key) + 1);
    key = e->key;
    value = e->value;
    position = reinterpret_cast<POSITION>(const_cast<entry*>(next));
}

void hashTable::freeBuckets()
{
    if (m_buckets != nullptr)
    {
        corHeapFree(0, m_buckets); // skipped when there is no private heap
        m_buckets = nullptr;
    }
}
