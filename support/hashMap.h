#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// hashMap: chained hash map from string keys to values, on the support library's private heap.
//
// KEY is the stored key (stubString), constructible from ARG_KEY (a wide string) and
// comparable with it by ==; ARG_KEY converts to const WCHAR* for the string hash. VALUE is the
// stored value, constructible and assignable from ARG_VALUE. Entries hold constructed KEY and
// VALUE objects, destroyed when their key is removed. A null key is the empty string.
//
// Layout and order: 17 buckets at construction; the bucket array is allocated at the first
// insertion and never resized (no rehashing). Entries come from blocks of the constructor's
// block size (hashEntryPool). A new key goes to the head of its bucket's chain. Iteration runs
// bucket 0 upwards, each chain head to tail, so within a bucket the newest key comes first.
// Removing the last key releases the bucket array and every block, as RemoveAll does.
//
// Failure: SetAt and operator[] never throw std::bad_alloc. When the bucket array, an entry
// block or a copy of the key or value (a string's text, on the C++ heap) cannot be allocated,
// SetAt returns FALSE and operator[] returns a reference to a spare value of this map, freshly
// value-initialised on each such call and not stored under any key; in both cases the map is
// unchanged (an empty map holds no memory afterwards; a present key keeps its value, as
// VALUE's assignment leaves it on failure: stubString and numbers keep it whole). Other
// exceptions from KEY or VALUE constructors pass through with the map unchanged. Lookup and
// GetNextAssoc copy into the caller's objects and may throw what that copy throws.
// With no private heap (destroyed while the map lived), RemoveAll forgets the entries and
// blocks without touching them.
// Invalidation: a VALUE reference or a POSITION lives until the next insertion or removal.
// Not thread-safe: one thread at a time. Not copyable.

#include "support/CQuorvaStubObject.h"
#include "support/hashBuckets.h"
#include "support/hashEntryPool.h"
#include "support/hashKeyString.h"
#include "support/hashPosition.h"
#include "support/stubHeap.h"
#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <new>

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class hashMap : public CQuorvaStubObject
{
public:
    static constexpr UINT defaultBucketCount = 17;

    explicit hashMap(int blockSize = 10) : m_buckets(defaultBucketCount), m_pool(blockSize) {}
    ~hashMap() override { RemoveAll(); }
    hashMap(const hashMap&) = delete;
    hashMap& operator=(const hashMap&) = delete;

    // The value of `key`, inserting a value-initialised one (empty string, 0) when absent.
    VALUE& operator[](ARG_KEY key)
    {
        UINT bucket = 0;
        if (entry* const found = find(key, bucket))
        {
            return found->value;
        }
        entry* const added =
            addEntry(key, bucket, [](VALUE* v) { ::new (static_cast<void*>(v)) VALUE(); });
        if (added == nullptr)
        {
            m_spareValue = VALUE();
            return m_spareValue;
        }
        return added->value;
    }

    // Non-zero when present; `value` then receives a copy, else it is untouched.
    BOOL Lookup(ARG_KEY key, VALUE& value) const
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

    // Inserts or replaces. FALSE only when memory ran out (see Failure above).
    BOOL SetAt(ARG_KEY key, ARG_VALUE value)
    {
        UINT bucket = 0;
        if (entry* const found = find(key, bucket))
        {
            try
            {
                found->value = value;
            }
            catch (const std::bad_alloc&)
            {
                return FALSE;
            }
            return TRUE;
        }
        entry* const added = addEntry(
            key, bucket, [&value](VALUE* v) { ::new (static_cast<void*>(v)) VALUE(value); });
        return added != nullptr ? TRUE : FALSE;
    }

    // Non-zero when the key was present and is removed.
    BOOL RemoveKey(ARG_KEY key)
    {
        if (!m_buckets.isAllocated())
        {
            return FALSE;
        }
        entry* const e =
            m_buckets.unlink(bucketOf(key), [&key](const entry& x) { return x.key == key; });
        if (e == nullptr)
        {
            return FALSE;
        }
        destroyEntry(e);
        if (--m_count == 0)
        {
            RemoveAll();
        }
        return TRUE;
    }

    // Destroys every key and value, frees the bucket array and every entry block.
    void RemoveAll()
    {
        if (getStubHeap() != nullptr)
        {
            m_buckets.forEach(
                [](entry* e)
                {
                    e->value.~VALUE();
                    e->key.~KEY();
                    e->~entry();
                });
        }
        m_buckets.release();
        m_count = 0;
        m_pool.releaseAll();
    }

    // Sets the bucket count and, when `allocateNow`, allocates a zeroed bucket array. Only for
    // an empty map: FALSE (nothing changes) when the map holds entries or `bucketCount` is 0.
    // FALSE also when the array cannot be allocated (the count is set; the next insertion
    // tries again).
    BOOL InitHashTable(UINT bucketCount, BOOL allocateNow = TRUE)
    {
        if (bucketCount == 0 || m_count != 0)
        {
            return FALSE;
        }
        return m_buckets.reset(bucketCount, allocateNow != FALSE) ? TRUE : FALSE;
    }

    int GetCount() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0 ? TRUE : FALSE; }
    UINT GetHashTableSize() const { return m_buckets.count(); }

    // BEFORE_START_POSITION when non-empty, null when empty.
    POSITION GetStartPosition() const { return m_count != 0 ? BEFORE_START_POSITION : nullptr; }

    // Hands out the entry at `position` and advances it (null after the last entry). A null
    // position leaves `key` and `value` untouched.
    void GetNextAssoc(POSITION& position, KEY& key, VALUE& value) const
    {
        const entry* const e = position == BEFORE_START_POSITION
                                   ? m_buckets.firstFrom(0)
                                   : reinterpret_cast<const entry*>(position);
        if (e == nullptr)
        {
            position = nullptr;
            return;
        }
        const entry* const next = m_buckets.after(e, e->bucket);
        key = e->key;
        value = e->value;
        position = reinterpret_cast<POSITION>(const_cast<entry*>(next));
    }

protected:
    struct entry
    {
        entry() {}
        ~entry() {}
        entry(const entry&) = delete;
        entry& operator=(const entry&) = delete;

        entry* next = nullptr;
        UINT bucket = 0;
        union
        {
            KEY key;
        };
        union
        {
            VALUE value;
        };
    };
    static_assert(alignof(entry) <= alignof(std::max_align_t), "blocks are max_align_t aligned");

    UINT bucketOf(ARG_KEY key) const
    {
        return hashKeyString(static_cast<const WCHAR*>(key)) % m_buckets.count();
    }

    // The entry of `key` or null; `bucket` receives the key's bucket either way.
    entry* find(ARG_KEY key, UINT& bucket) const
    {
        bucket = bucketOf(key);
        return m_buckets.find(bucket, [&key](const entry& e) { return e.key == key; });
    }

private:
    // Links a new entry for `key` at the head of `bucket`, its value made by `makeValue`;
    // null (map unchanged) when memory runs out.
    template <class MAKE> entry* addEntry(ARG_KEY key, UINT bucket, const MAKE& makeValue)
    {
        if (!m_buckets.isAllocated() && !InitHashTable(m_buckets.count(), TRUE))
        {
            releaseIfEmpty();
            return nullptr;
        }
        void* const slot = m_pool.take(sizeof(entry));
        if (slot == nullptr)
        {
            releaseIfEmpty();
            return nullptr;
        }
        entry* const e = ::new (slot) entry();
        try
        {
            ::new (static_cast<void*>(&e->key)) KEY(key);
            try
            {
                makeValue(&e->value);
            }
            catch (...)
            {
                e->key.~KEY();
                throw;
            }
        }
        catch (const std::bad_alloc&)
        {
            abandon(e); // a text copy ran out of memory, as a block can
            return nullptr;
        }
        catch (...)
        {
            abandon(e);
            throw;
        }
        e->bucket = bucket;
        m_buckets.pushFront(bucket, e);
        ++m_count;
        return e;
    }

    // Returns an entry whose key and value were never made.
    void abandon(entry* e)
    {
        e->~entry();
        m_pool.give(e);
        releaseIfEmpty();
    }

    void destroyEntry(entry* e)
    {
        e->value.~VALUE();
        e->key.~KEY();
        e->~entry();
        m_pool.give(e);
    }

    // An empty map keeps no memory, even after a failed insertion.
    void releaseIfEmpty()
    {
        if (m_count == 0)
        {
            RemoveAll();
        }
    }

    hashBuckets<entry> m_buckets;
    int m_count = 0;
    hashEntryPool m_pool;
    VALUE m_spareValue{};
};

#pragma GCC visibility pop
