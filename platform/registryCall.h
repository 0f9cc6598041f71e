#pragma once

// The frame of one registry function: holds the handle table's lock for the whole call,
// resolves the caller's handle and checks the access the call needs, in Windows' order
// (invalid handle first, then access).

#include "platform/registryHandleTable.h"

#include <exception>
#include <new>

namespace registryStore
{

class registryCall
{
public:
    registryCall() : m_table(registryHandleTable::instance()), m_lock(m_table.lock()) {}

    // ERROR_INVALID_HANDLE, or ERROR_ACCESS_DENIED when the handle lacks any right in `needed`.
    DWORD open(HKEY handle, REGSAM needed)
    {
        const DWORD result = m_table.resolve(handle, m_key);
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        return (m_key.access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    const openKey& key() const { return m_key; }
    registryHive& hive() const { return *m_key.hive; }
    registryHandleTable& table() const { return m_table; }

    // Failures are results, never exceptions: memory running out answers
    // ERROR_NOT_ENOUGH_MEMORY, the code SQLite's own out-of-memory maps to.
    template <class F> static LSTATUS guarded(F&& body) noexcept
    {
        try
        {
            return static_cast<LSTATUS>(body());
        }
        catch (const std::bad_alloc&)
        {
            return static_cast<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY);
        }
        catch (const std::exception&)
        {
            return static_cast<LSTATUS>(ERROR_REGISTRY_IO_FAILED);
        }
    }

private:
    registryHandleTable& m_table;
    std::unique_lock<std::mutex> m_lock;
    openKey m_key;
};

} // namespace registryStore
