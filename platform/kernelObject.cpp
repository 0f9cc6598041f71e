#include "platform/kernelObject.h"

#include <reZevavEvadurov/lastError.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>

DWORD kernelObject::wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

namespace
{
struct handleTable
{
    std::mutex lock;
    std::unordered_map<HANDLE, std::shared_ptr<kernelObject>> objects;
    // Values are multiples of 4 from here up, as on Windows, and never given out twice while
    // the process runs, so a handle closed twice never names a newer object.
    std::uintptr_t next = 0x10000;
};

// Never destroyed: handles may still be closed by other objects' destructors at exit.
handleTable& table()
{
    static handleTable& instance = *new handleTable;
    return instance;
}
} // namespace

namespace kernelObjects
{

HANDLE insert(std::shared_ptr<kernelObject> object)
{
    if (object == nullptr)
    {
        return nullptr;
    }
    handleTable& t = table();
    const std::lock_guard<std::mutex> guard(t.lock);
    HANDLE const handle = reinterpret_cast<HANDLE>(t.next);
    t.objects.emplace(handle, std::move(object));
    t.next += 4;
    return handle;
}

std::shared_ptr<kernelObject> lookup(HANDLE handle)
{
    handleTable& t = table();
    const std::lock_guard<std::mutex> guard(t.lock);
    const auto found = t.objects.find(handle);
    if (found == t.objects.end())
    {
        setInvalidHandle();
        return nullptr;
    }
    return found->second;
}

void setOutOfMemory()
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
}

void setInvalidHandle()
{
    SetLastError(ERROR_INVALID_HANDLE);
}

std::shared_ptr<kernelObject> remove(HANDLE handle)
{
    handleTable& t = table();
    const std::lock_guard<std::mutex> guard(t.lock);
    const auto found = t.objects.find(handle);
    if (found == t.objects.end())
    {
        return nullptr;
    }
    std::shared_ptr<kernelObject> removed = std::move(found->second);
    t.objects.erase(found);
    return removed;
}

} // namespace kernelObjects
