#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The frame of one registry function: holds the handle table's lock for the whole call,
// resolves the caller's handle and checks the access the call needs, in Windows' order
// (invalid handle first, then access).

#include "platform/registryHandleTable.h"
#include "platform/registryTransaction.h"
#include "platform/registryWriterGate.h"

#include <exception>
#include <new>

namespace registryStore
{

class registryCall
{
public:
    registryCall() : m_table(registryHandleTable::instance()), m_lock(m_table.lock())
    {
        registryWriterGate::instance().enter(m_lock);
    }
    ~registryCall() { registryWriterGate::instance().leave(); }
    registryCall(const registryCall&) = delete;
    registryCall& operator=(const registryCall&) = delete;

    // ERROR_INVALID_HANDLE, ERROR_TRANSACTION_NOT_ACTIVE for a key of a transaction that ended,
    // or ERROR_ACCESS_DENIED when the handle lacks any right in `needed`.
    DWORD open(HKEY handle, REGSAM needed)
    {
        DWORD result = m_table.resolve(handle, m_key);
        if (result == ERROR_SUCCESS && m_key.transaction != nullptr)
        {
            result = m_key.transaction->usable();
        }
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        return (m_key.access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    const openKey& key() const { return m_key; }
    registryHive& hive() const { return *m_key.hive; }

    // Runs `operation(registryDatabase&) -> DWORD` on the open key's hive, inside the key's
    // transaction when it has one.
    template <class F> DWORD read(F&& operation)
    {
        return m_key.hive->read(m_key.transaction.get(), m_key.key, operation);
    }
    template <class F> DWORD write(F&& operation)
    {
        return m_key.hive->write(m_key.transaction.get(), m_key.key, operation);
    }
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

#pragma GCC visibility pop
