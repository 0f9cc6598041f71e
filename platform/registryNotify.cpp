// RegNotifyChangeKeyValue. Where the POSIX form differs from Windows: every registration is
// thread-agnostic (REG_NOTIFY_THREAD_AGNOSTIC is accepted and changes nothing; a thread that
// exits does not set the event); nothing here changes a key's attributes or security, so those
// filters are told only of a deletion or a close; changes written by a program of an older
// build, which keeps no change log, are not told.

#include <reZevavEvadurov/registry.h>

#include "platform/eventSignal.h"
#include "platform/registryCall.h"
#include "platform/registryNotifyHub.h"

using namespace registryStore;

namespace
{

constexpr DWORD knownFilters = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES |
                               REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY |
                               REG_NOTIFY_THREAD_AGNOSTIC;

} // namespace

LSTATUS RegNotifyChangeKeyValue(HKEY key, BOOL watchSubtree, DWORD filter, HANDLE event,
                                BOOL asynchronous)
{
    std::shared_ptr<kernelObject> waitFor;
    const LSTATUS status = registryCall::guarded(
        [&]() -> DWORD
        {
            if (asynchronous != FALSE && event == nullptr)
            {
                return ERROR_INVALID_PARAMETER;
            }
            if ((filter & ~knownFilters) != 0 || (filter & ~REG_NOTIFY_THREAD_AGNOSTIC) == 0)
            {
                return ERROR_INVALID_PARAMETER;
            }
            registryCall call;
            const DWORD result = call.open(key, KEY_NOTIFY);
            if (result != ERROR_SUCCESS)
            {
                return result;
            }
            changeRegistration registration{
                key, call.hive().path(), call.key().key.id, watchSubtree != FALSE, filter, nullptr};
            if (asynchronous != FALSE)
            {
                registration.event = kernelObjects::lookup(event);
                if (registration.event == nullptr || !eventObjects::isEvent(*registration.event))
                {
                    return ERROR_INVALID_HANDLE;
                }
            }
            else
            {
                registration.event = waitFor = eventObjects::makeEvent();
            }
            registryNotifyHub::instance().add(std::move(registration));
            return ERROR_SUCCESS;
        });
    if (status == ERROR_SUCCESS && waitFor != nullptr)
    {
        waitFor->wait(INFINITE); // with the registry's lock released: the change may come from here
    }
    return status;
}
