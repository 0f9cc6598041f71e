#include "platform/kernelObject.h"

#include "platform/lastError.h"

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
    // The object's address is unique while it lives, and it lives at least as long as its
    // table entry, so it serves as the handle value.
    HANDLE const handle = object.get();
    handleTable& t = table();
    const std::lock_guard<std::mutex> guard(t.lock);
    t.objects.emplace(handle, std::move(object));
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

bool remove(HANDLE handle)
{
    std::shared_ptr<kernelObject> removed;
    {
        handleTable& t = table();
        const std::lock_guard<std::mutex> guard(t.lock);
        const auto found = t.objects.find(handle);
        if (found == t.objects.end())
        {
            return false;
        }
        removed = std::move(found->second);
        t.objects.erase(found);
    }
    // The object's destructor (closing a descriptor, say) runs outside the table lock.
    return true;
}

} // namespace kernelObjects
