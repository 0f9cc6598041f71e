#include "support/hashTable.h"

#include <cstdint>
#include <new>

hashTable::hashTable(int blockSize) : m_buckets(defaultBucketCount), m_pool(blockSize) {}

hashTable::~hashTable()
{
    RemoveAll();
}

UINT hashTable::bucketOf(const void* key) const
{
    const auto low = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(key));
    return (low >> 4) % m_buckets.count();
}

hashTable::entry* hashTable::find(const void* key, UINT& bucket) const
{
    bucket = bucketOf(key);
    return m_buckets.find(bucket, [key](const entry& e) { return e.key == key; });
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
    if (m_buckets.isAllocated() || InitHashTable(m_buckets.count(), TRUE))
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
    m_buckets.pushFront(bucket, ::new (slot) entry{nullptr, key, value});
    ++m_count;
    return TRUE;
}

BOOL hashTable::RemoveKey(void* key)
{
    if (!m_buckets.isAllocated())
    {
        return FALSE;
    }
    entry* const e =
        m_buckets.unlink(bucketOf(key), [key](const entry& x) { return x.key == key; });
    if (e == nullptr)
    {
        return FALSE;
    }
    m_pool.give(e);
    if (--m_count == 0)
    {
        RemoveAll();
    }
    return TRUE;
}

void hashTable::RemoveAll()
{
    m_buckets.release();
    m_count = 0;
    m_pool.releaseAll();
}

BOOL hashTable::InitHashTable(UINT bucketCount, BOOL allocateNow)
{
    if (bucketCount == 0 || m_count != 0)
    {
        return FALSE;
    }
    return m_buckets.reset(bucketCount, allocateNow != FALSE) ? TRUE : FALSE;
}

void hashTable::GetNextAssoc(POSITION& position, void*& key, void*& value) const
{
    const entry* const e = position == BEFORE_START_POSITION
                               ? m_buckets.firstFrom(0)
                               : reinterpret_cast<const entry*>(position);
    if (e == nullptr)
    {
        position = nullptr;
        return;
    }
    const entry* const next = m_buckets.after(e, bucketOf(e->key));
    key = e->key;
    value = e->value;
    position = reinterpret_cast<POSITION>(const_cast<entry*>(next));
}
