#include "tools/rzreg/regTransaction.h"

#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

regTransaction::~regTransaction()
{
    m_root = regKey();
    if (m_transaction != nullptr)
    {
        CloseHandle(m_transaction);
    }
}

LSTATUS regTransaction::begin(HKEY hive)
{
    m_hive = hive;
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    if (transaction == INVALID_HANDLE_VALUE)
    {
        return static_cast<LSTATUS>(GetLastError());
    }
    m_transaction = transaction;
    return m_root.openTransacted(regKeyPath{hive, {}}, KEY_ALL_ACCESS, m_transaction);
}

LSTATUS regTransaction::commit()
{
    m_root = regKey();
    return CommitTransaction(m_transaction) ? ERROR_SUCCESS : static_cast<LSTATUS>(GetLastError());
}
