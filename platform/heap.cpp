#include "platform/heap.h"

#include <reZevavEvadurov/lastError.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

// POSIX form: blocks come from malloc and are tracked per heap, so HeapDestroy can free what
// is still allocated and unknown blocks are refused instead of corrupting memory. The options
// HEAP_NO_SERIALIZE and HEAP_GENERATE_EXCEPTIONS are ignored (every heap serialises; no
// structured exceptions). A non-zero maximum size caps the bytes allocated at once.

namespace
{

struct privateHeap
{
    std::mutex lock;
    std::unordered_map<void*, SIZE_T> blocks;
    SIZE_T maximumSize = 0;
    SIZE_T bytesInUse = 0;
    long failAfter = -1; // negative: no injected failures

    // Called with `lock` held. Consumes one unit of the injected-failure budget on success.
    bool mayAllocate(SIZE_T extraBytes)
    {
        if (failAfter == 0)
        {
            return false;
        }
        if (maximumSize != 0 && (extraBytes > maximumSize || bytesInUse > maximumSize - extraBytes))
        {
            return false;
        }
        return true;
    }

    void countSuccess()
    {
        if (failAfter > 0)
        {
            --failAfter;
        }
    }
};

// Live heaps, so that a stale or foreign handle is answered with a failure, never followed.
// Lock order: the registry lock, then a heap's lock.
// Never destroyed: static objects free their blocks at exit (the log writer's file-name copy),
// possibly after a function-local registry made later would already be gone.
std::mutex& registryLock()
{
    static std::mutex& lock = *new std::mutex;
    return lock;
}

std::unordered_set<privateHeap*>& liveHeaps()
{
    static std::unordered_set<privateHeap*>& heaps = *new std::unordered_set<privateHeap*>;
    return heaps;
}

// Holds the heap's lock for the life of the object; `heap` is null when the handle is not live.
class lockedHeap
{
public:
    explicit lockedHeap(HANDLE handle)
    {
        const std::lock_guard<std::mutex> guard(registryLock());
        auto* const candidate = static_cast<privateHeap*>(handle);
        if (liveHeaps().count(candidate) != 0)
        {
            m_lock = std::unique_lock<std::mutex>(candidate->lock);
            heap = candidate;
        }
    }

    privateHeap* heap = nullptr;

private:
    std::unique_lock<std::mutex> m_lock;
};

// malloc(0) may answer null; a heap hands out a distinct block even for 0 bytes.
SIZE_T storageFor(SIZE_T bytes)
{
    return bytes == 0 ? 1 : bytes;
}

} // namespace

HANDLE HeapCreate(DWORD /*options*/, SIZE_T initialSize, SIZE_T maximumSize)
{
    if (maximumSize != 0 && initialSize > maximumSize)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* const heap = new (std::nothrow) privateHeap;
    if (heap == nullptr)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    heap->maximumSize = maximumSize;
    const std::lock_guard<std::mutex> guard(registryLock());
    liveHeaps().insert(heap);
    return heap;
}

BOOL HeapDestroy(HANDLE handle)
{
    auto* const heap = static_cast<privateHeap*>(handle);
    {
        const std::lock_guard<std::mutex> guard(registryLock());
        if (liveHeaps().erase(heap) == 0)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    {
        // Waits for calls that found the heap before it left the registry.
        const std::lock_guard<std::mutex> guard(heap->lock);
        for (const auto& [block, size] : heap->blocks)
        {
            std::free(block);
        }
        heap->blocks.clear();
    }
    delete heap;
    return TRUE;
}

LPVOID HeapAlloc(HANDLE handle, DWORD flags, SIZE_T bytes)
{
    const lockedHeap locked(handle);
    privateHeap* const heap = locked.heap;
    if (heap == nullptr || !heap->mayAllocate(bytes))
    {
        return nullptr;
    }
    void* const block = (flags & HEAP_ZERO_MEMORY) != 0 ? std::calloc(1, storageFor(bytes))
                                                        : std::malloc(storageFor(bytes));
    if (block == nullptr)
    {
        return nullptr;
    }
    try
    {
        heap->blocks.emplace(block, bytes);
    }
    catch (...)
    {
        std::free(block);
        return nullptr;
    }
    heap->bytesInUse += bytes;
    heap->countSuccess();
    return block;
}

LPVOID HeapReAlloc(HANDLE handle, DWORD flags, LPVOID block, SIZE_T bytes)
{
    const lockedHeap locked(handle);
    privateHeap* const heap = locked.heap;
    if (heap == nullptr)
    {
        return nullptr;
    }
    const auto found = heap->blocks.find(block);
    if (found == heap->blocks.end())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const SIZE_T oldSize = found->second;
    if (!heap->mayAllocate(bytes > oldSize ? bytes - oldSize : 0))
    {
        return nullptr;
    }
    void* const moved = std::realloc(block, storageFor(bytes));
    if (moved == nullptr)
    {
        return nullptr;
    }
    // Re-keying the existing node allocates nothing, so the bookkeeping cannot fail here.
    auto node = heap->blocks.extract(found);
    node.key() = moved;
    node.mapped() = bytes;
    heap->blocks.insert(std::move(node));
    heap->bytesInUse = heap->bytesInUse - oldSize + bytes;
    if ((flags & HEAP_ZERO_MEMORY) != 0 && bytes > oldSize)
    {
        std::memset(static_cast<char*>(moved) + oldSize, 0, bytes - oldSize);
    }
    heap->countSuccess();
    return moved;
}

BOOL HeapFree(HANDLE handle, DWORD /*flags*/, LPVOID block)
{
    const lockedHeap locked(handle);
    privateHeap* const heap = locked.heap;
    if (heap == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block == nullptr)
    {
        return TRUE;
    }
    const auto found = heap->blocks.find(block);
    if (found == heap->blocks.end())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    heap->bytesInUse -= found->second;
    heap->blocks.erase(found);
    std::free(block);
    return TRUE;
}

SIZE_T HeapSize(HANDLE handle, DWORD /*flags*/, LPCVOID block)
{
    const lockedHeap locked(handle);
    const privateHeap* const heap = locked.heap;
    if (heap == nullptr)
    {
        return static_cast<SIZE_T>(-1);
    }
    const auto found = heap->blocks.find(const_cast<LPVOID>(block));
    return found == heap->blocks.end() ? static_cast<SIZE_T>(-1) : found->second;
}

void heapSetFailAfter(HANDLE handle, long allowed)
{
    const lockedHeap locked(handle);
    if (locked.heap != nullptr)
    {
        locked.heap->failAfter = allowed < 0 ? -1 : allowed;
    }
}

SIZE_T heapBlockCount(HANDLE handle)
{
    const lockedHeap locked(handle);
    return locked.heap == nullptr ? 0 : locked.heap->blocks.size();
}
