// Transactions for the registry: the kernel object and CreateTransaction, CommitTransaction,
// RollbackTransaction.

#include "platform/registryTransaction.h"

#include "platform/registryCall.h"
#include "platform/registryTransactionTimer.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/transaction.h>

#include <unistd.h>

namespace registryStore
{

registryTransaction::registryTransaction(DWORD timeoutMs)
    : m_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)),
      m_timed(timeoutMs != 0), m_owner(getpid())
{
}

DWORD registryTransaction::usable()
{
    // A child of fork has none of its parent's hives: the transaction stayed with the parent.
    if (m_state != state::active || getpid() != m_owner)
    {
        return ERROR_TRANSACTION_NOT_ACTIVE;
    }
    if (m_timed && std::chrono::steady_clock::now() >= m_deadline)
    {
        end(false);
        m_state = state::aborted;
        return ERROR_TRANSACTION_NOT_ACTIVE;
    }
    return ERROR_SUCCESS;
}

std::chrono::steady_clock::time_point registryTransaction::deadline() const
{
    return m_timed ? m_deadline : std::chrono::steady_clock::time_point::max();
}

void registryTransaction::abandoned()
{
    if (m_state == state::active)
    {
        m_state = state::abandoned;
    }
}

DWORD registryTransaction::bind(registryHive& hive)
{
    if (m_hive == nullptr)
    {
        m_hive = &hive;
        hive.handleOpened(); // the hive stays while the transaction may still use it
    }
    return m_hive == &hive ? ERROR_SUCCESS : ERROR_TRANSACTION_REQUEST_NOT_VALID;
}

DWORD registryTransaction::end(bool commit)
{
    DWORD result = ERROR_SUCCESS;
    if (m_hive != nullptr)
    {
        result = m_hive->endTransaction(*this, commit, m_wrote);
        m_hive->handleClosed();
        m_hive = nullptr;
    }
    return result;
}

DWORD registryTransaction::commit()
{
    return finish(true);
}

DWORD registryTransaction::rollback()
{
    return finish(false);
}

DWORD registryTransaction::finish(bool commit)
{
    if (m_state == state::committed)
    {
        return ERROR_TRANSACTION_ALREADY_COMMITTED;
    }
    if (m_state == state::abandoned && getpid() == m_owner)
    {
        end(false); // lets go of the hive; nothing is left to roll back
        m_state = state::aborted;
        return commit ? ERROR_TRANSACTION_NOT_ACTIVE : ERROR_TRANSACTION_ALREADY_ABORTED;
    }
    if (usable() != ERROR_SUCCESS)
    {
        return ERROR_TRANSACTION_ALREADY_ABORTED;
    }
    const DWORD result = end(commit);
    m_state = commit && result == ERROR_SUCCESS ? state::committed : state::aborted;
    return commit ? result : ERROR_SUCCESS;
}

void registryTransaction::closing()
{
    const registryCall call; // the registry's lock
    if ((m_state == state::active || m_state == state::abandoned) && getpid() == m_owner)
    {
        end(false);
        m_state = state::aborted;
    }
}

} // namespace registryStore

using registryStore::registryCall;
using registryStore::registryTransaction;

namespace
{

BOOL answer(DWORD result)
{
    if (result != ERROR_SUCCESS)
    {
        SetLastError(result);
        return FALSE;
    }
    return TRUE;
}

template <class F> BOOL onTransaction(HANDLE handle, F&& action)
{
    const auto transaction = kernelObjects::lookupAs<registryTransaction>(handle);
    if (transaction == nullptr)
    {
        return FALSE; // the lookup set ERROR_INVALID_HANDLE
    }
    const registryCall call;
    return answer(action(*transaction));
}

} // namespace

HANDLE CreateTransaction(LPSECURITY_ATTRIBUTES /*attributes*/, LPGUID unitOfWork,
                         DWORD createOptions, DWORD /*isolationLevel*/, DWORD /*isolationFlags*/,
                         DWORD timeout, LPWSTR /*description*/)
{
    if (unitOfWork != nullptr || (createOptions & ~TRANSACTION_DO_NOT_PROMOTE) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE const handle = kernelObjects::create<registryTransaction>(timeout);
    if (handle == nullptr)
    {
        return INVALID_HANDLE_VALUE;
    }
    if (timeout != 0)
    {
        registryStore::registryTransactionTimer::watch(
            kernelObjects::lookupAs<registryTransaction>(handle));
    }
    return handle;
}

BOOL CommitTransaction(HANDLE transaction)
{
    return onTransaction(transaction, [](registryTransaction& t) { return t.commit(); });
}

BOOL RollbackTransaction(HANDLE transaction)
{
    return onTransaction(transaction, [](registryTransaction& t) { return t.rollback(); });
}
