#include <reZevavEvadurov/event.h>

#include "platform/eventSignal.h"
#include "platform/kernelObject.h"
#include <reZevavEvadurov/lastError.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace
{

class eventObject final : public kernelObject
{
public:
    eventObject(bool manualReset, bool signalled)
        : m_manualReset(manualReset), m_signalled(signalled)
    {
    }

    void set()
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_signalled = true;
        }
        if (m_manualReset)
        {
            m_changed.notify_all();
        }
        else
        {
            m_changed.notify_one();
        }
    }

    void reset()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_signalled = false;
    }

    DWORD wait(DWORD milliseconds) override
    {
        std::unique_lock<std::mutex> guard(m_lock);
        const auto isSignalled = [this] { return m_signalled; };
        if (milliseconds == INFINITE)
        {
            m_changed.wait(guard, isSignalled);
        }
        else if (!m_changed.wait_for(guard, std::chrono::milliseconds(milliseconds), isSignalled))
        {
            return WAIT_TIMEOUT;
        }
        if (!m_manualReset)
        {
            m_signalled = false;
        }
        return WAIT_OBJECT_0;
    }

private:
    const bool m_manualReset;
    bool m_signalled;
    std::mutex m_lock;
    std::condition_variable m_changed;
};

} // namespace

namespace eventObjects
{
std::shared_ptr<kernelObject> makeEvent()
{
    return std::make_shared<eventObject>(true, false);
}

bool isEvent(const kernelObject& object)
{
    return dynamic_cast<const eventObject*>(&object) != nullptr;
}

bool signal(kernelObject& object)
{
    auto* const event = dynamic_cast<eventObject*>(&object);
    if (event != nullptr)
    {
        event->set();
    }
    return event != nullptr;
}
} // namespace eventObjects

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    if (name != nullptr)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return kernelObjects::create<eventObject>(manualReset != FALSE, initialState != FALSE);
}

BOOL SetEvent(HANDLE event)
{
    const auto object = kernelObjects::lookupAs<eventObject>(event);
    if (object == nullptr)
    {
        return FALSE;
    }
    object->set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    const auto object = kernelObjects::lookupAs<eventObject>(event);
    if (object == nullptr)
    {
        return FALSE;
    }
    object->reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    const auto object = kernelObjects::lookup(handle);
    if (object == nullptr)
    {
        return WAIT_FAILED;
    }
    return object->wait(milliseconds);
}
