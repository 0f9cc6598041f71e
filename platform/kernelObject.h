#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Kernel objects behind HANDLE values (events, open files), inside the platform layer only.
//
// A HANDLE given out by the layer is a key into one process-wide table; the table owns the
// objects. Handle values come from a counter and are never given out twice while the process
// runs. Operations look a handle up and hold their own reference for the length of the
// call, so a CloseHandle on another thread never frees an object that is in use. An unknown,
// null or already closed handle looks up as null, never as a dangling object.
// Thread-safety: every function here may be called from any thread.

#include <reZevavEvadurov/winTypes.h>

#include <memory>
#include <new>
#include <utility>

class kernelObject
{
public:
    kernelObject() = default;
    virtual ~kernelObject() = default;
    kernelObject(const kernelObject&) = delete;
    kernelObject& operator=(const kernelObject&) = delete;

    // WaitForSingleObject on this object. Objects that cannot be waited on answer WAIT_FAILED
    // with ERROR_INVALID_HANDLE.
    virtual DWORD wait(DWORD milliseconds);
    // CloseHandle has just removed this object's handle (a transaction rolls back here).
    virtual void closing() {}
};

namespace kernelObjects
{
void setInvalidHandle(); // ERROR_INVALID_HANDLE as the last error

// Takes ownership and gives out a fresh handle; null only when `object` is null.
HANDLE insert(std::shared_ptr<kernelObject> object);
// Makes a T and gives out its handle; null with ERROR_NOT_ENOUGH_MEMORY when memory runs out.
template <class T, class... Args> HANDLE create(Args&&... args);
// The object of a live handle, or null with ERROR_INVALID_HANDLE as the last error.
std::shared_ptr<kernelObject> lookup(HANDLE handle);
// The object of a live handle of type T, or null with ERROR_INVALID_HANDLE as the last error
// (also for a live handle of another type).
template <class T> std::shared_ptr<T> lookupAs(HANDLE handle)
{
    auto object = std::dynamic_pointer_cast<T>(lookup(handle));
    if (object == nullptr)
    {
        setInvalidHandle();
    }
    return object;
}
// Removes a live handle and hands back its object, which goes once the last call using it
// returns; null when the handle was not live. Of two threads closing one handle, one gets it.
std::shared_ptr<kernelObject> remove(HANDLE handle);

void setOutOfMemory(); // ERROR_NOT_ENOUGH_MEMORY as the last error

template <class T, class... Args> HANDLE create(Args&&... args)
{
    try
    {
        return insert(std::make_shared<T>(std::forward<Args>(args)...));
    }
    catch (const std::bad_alloc&)
    {
        setOutOfMemory();
        return nullptr;
    }
}
} // namespace kernelObjects

#pragma GCC visibility pop
