#pragma once

// One registry transaction on one hive, for changes that must land whole or not at all: an
// import, the deletion of a key tree. root() is a handle on the hive's root key opened in the
// transaction; every key reached through it works inside the transaction, so regKeyPath
// values with root() as their root change nothing until commit(). Closing without a commit
// (the destructor) rolls everything back. Not thread-safe.

#include "tools/rzreg/regKey.h"
#include <reZevavEvadurov/winTypes.h>

class regTransaction
{
public:
    regTransaction() = default;
    ~regTransaction();
    regTransaction(const regTransaction&) = delete;
    regTransaction& operator=(const regTransaction&) = delete;

    // Starts the transaction and opens `hive` (HKEY_CURRENT_USER or HKEY_USERS) in it with
    // every right; ERROR_ACCESS_DENIED when the hive may not be written.
    LSTATUS begin(HKEY hive);
    HKEY hive() const { return m_hive; }
    HKEY root() const { return m_root.get(); }
    // Makes every change visible and durable at once; the root handle is closed first. On
    // failure nothing of the transaction remains.
    LSTATUS commit();

private:
    HKEY m_hive = nullptr;
    HANDLE m_transaction = nullptr;
    regKey m_root;
};
