#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// settingsFileHeap: a private heap that lives for one load or save of a settings file, so
// the file's buffer never fragments the heaps of long-lived objects. The heap is registered
// with corHeaps while it exists; destruction unregisters it and frees every block on it.
//
// A heap that could not be created is invalid: its allocations return null. Not thread-safe
// to construct or destroy concurrently with use; allocations themselves are serialised by
// the platform heap.

#include <reZevavEvadurov/winTypes.h>

#include <cstdint>

class settingsFileHeap
{
public:
    static constexpr SIZE_T defaultInitialSize = 0x10000;

    // Initial size of the heap that holds a file of `fileSize` bytes: the default, or the
    // file's size plus 4096 when the file is larger than 65536 bytes.
    static SIZE_T initialSizeForLoad(std::uint64_t fileSize);

    explicit settingsFileHeap(SIZE_T initialSize = defaultInitialSize);
    ~settingsFileHeap();
    settingsFileHeap(const settingsFileHeap&) = delete;
    settingsFileHeap& operator=(const settingsFileHeap&) = delete;

    bool isValid() const { return m_heap != nullptr; }
    HANDLE handle() const { return m_heap; }

    // Null when the heap refuses. `reallocate` keeps the contents and leaves the old block
    // allocated and unchanged on failure.
    void* allocate(SIZE_T bytes);
    void* reallocate(void* block, SIZE_T bytes);
    void release(void* block);

private:
    HANDLE m_heap;
};

#pragma GCC visibility pop
