#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// hashTable: chained hash table from pointer-sized keys to pointer values, on the support
// library's private heap. Keys compare by value. The bucket of a key is its low 32 bits
// shifted right by 4, modulo the bucket count (17 at construction).
//
// The bucket array is allocated at the first insertion and never resized; entries come from
// blocks of the constructor's block size; a new key goes to the head of its chain; iteration
// runs bucket 0 upwards, each chain head to tail. Removing the last key releases the bucket
// array and every block.
// Failure: SetAt returns FALSE (table unchanged) when the bucket array or an entry block
// cannot be allocated. With no private heap, RemoveAll forgets blocks without touching them.
// Invalidation: a POSITION lives until the next insertion or removal.
// Not thread-safe. Not copyable.

#include "support/CQuorvaStubObject.h"
#include "support/hashBuckets.h"
#include "support/hashEntryPool.h"
#include "support/hashPosition.h"
#include <reZevavEvadurov/winTypes.h>

class hashTable : public CQuorvaStubObject
{
public:
    static constexpr UINT defaultBucketCount = 17;

    explicit hashTable(int blockSize = 10);
    ~hashTable() override;
    hashTable(const hashTable&) = delete;
    hashTable& operator=(const hashTable&) = delete;

    // Non-zero when present; `value` then receives the stored value, else it is untouched.
    BOOL Lookup(void* key, void*& value) const;
    // Inserts or replaces; FALSE only when a new entry could not be allocated.
    BOOL SetAt(void* key, void* value);
    BOOL RemoveKey(void* key);
    void RemoveAll();
    // Only for an empty table: FALSE (nothing changes) when it holds entries or `bucketCount`
    // is 0; FALSE too when the array cannot be allocated.
    BOOL InitHashTable(UINT bucketCount, BOOL allocateNow = TRUE);

    int GetCount() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0 ? TRUE : FALSE; }
    UINT GetHashTableSize() const { return m_buckets.count(); }

    // BEFORE_START_POSITION when non-empty, null when empty.
    POSITION GetStartPosition() const { return m_count != 0 ? BEFORE_START_POSITION : nullptr; }
    // Hands out the entry at `position` and advances it (null after the last entry).
    void GetNextAssoc(POSITION& position, void*& key, void*& value) const;

private:
    struct entry
    {
        entry* next;
        void* key;
        void* value;
    };

    UINT bucketOf(const void* key) const;
    entry* find(const void* key, UINT& bucket) const;

    hashBuckets<entry> m_buckets;
    int m_count = 0;
    hashEntryPool m_pool;
};

#pragma GCC visibility pop
