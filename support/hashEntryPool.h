#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// hashEntryPool: the entry storage of the hash tables and maps. Entries come from blocks on
// the private heap, each one allocation (flags 0) of a header linking to the previously
// allocated block followed by room for `blockSize` entries. Free entries form a list; a new
// block's entries are pushed from the last to the first, so its first entry is handed out
// first.
//
// The pool hands out raw storage: constructing and destroying what lives in an entry is the
// owner's job, and every entry must be destroyed before it is given back or releaseAll runs.
// Failure: take() returns null when a new block cannot be allocated (nothing changes).
// Not thread-safe. Not copyable.

#include <reZevavEvadurov/winTypes.h>

#include <cstddef>

class hashEntryPool
{
public:
    // A block size below 1 is taken as 1.
    explicit hashEntryPool(int blockSize);
    ~hashEntryPool() { releaseAll(); }
    hashEntryPool(const hashEntryPool&) = delete;
    hashEntryPool& operator=(const hashEntryPool&) = delete;

    // Storage for one entry of `entrySize` bytes (at least a pointer's size, the same on every
    // call), aligned for any fundamental type; null when no block can be had.
    void* take(std::size_t entrySize);
    // Returns an entry (already destroyed by its owner) to the free list.
    void give(void* entry);
    // Empties the free list and frees every block. With no private heap (it was destroyed, and
    // the blocks with it) the blocks are forgotten without being touched.
    void releaseAll();

    int blockSize() const { return m_blockSize; }
    bool hasBlocks() const { return m_blocks != nullptr; }

private:
    struct freeEntry
    {
        freeEntry* next;
    };
    struct blockHeader
    {
        blockHeader* previous;
    };

    freeEntry* m_freeList = nullptr;
    blockHeader* m_blocks = nullptr;
    int m_blockSize;
};

#pragma GCC visibility pop
