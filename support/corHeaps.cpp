#include "support/stubHeap.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace
{
// Heaps the program created itself. Registration is bookkeeping only: the registry never
// destroys a heap; its creator does, after removing it.
struct heapRegistry
{
    std::mutex lock;
    std::vector<HANDLE> heaps;
};

// Never destroyed, like the platform's heap registry: a static object made before the first
// registration (a store, the log state) unregisters its heap at exit, after a function-local
// registry would already be gone.
heapRegistry& registry()
{
    static heapRegistry& instance = *new heapRegistry;
    return instance;
}
} // namespace

namespace corHeaps
{

void addHeap(HANDLE heap)
{
    if (heap == nullptr)
    {
        return;
    }
    heapRegistry& r = registry();
    const std::lock_guard<std::mutex> guard(r.lock);
    if (std::find(r.heaps.begin(), r.heaps.end(), heap) == r.heaps.end())
    {
        r.heaps.push_back(heap);
    }
}

void removeHeap(HANDLE heap)
{
    heapRegistry& r = registry();
    const std::lock_guard<std::mutex> guard(r.lock);
    r.heaps.erase(std::remove(r.heaps.begin(), r.heaps.end(), heap), r.heaps.end());
}

bool isRegistered(HANDLE heap)
{
    heapRegistry& r = registry();
    const std::lock_guard<std::mutex> guard(r.lock);
    return heap != nullptr && std::find(r.heaps.begin(), r.heaps.end(), heap) != r.heaps.end();
}

int count()
{
    heapRegistry& r = registry();
    const std::lock_guard<std::mutex> guard(r.lock);
    return static_cast<int>(r.heaps.size());
}

} // namespace corHeaps
