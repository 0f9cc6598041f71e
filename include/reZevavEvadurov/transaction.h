#pragma once

// Transactions (the kernel transaction manager's calls), used by the transacted registry
// calls (RegCreateKeyTransactedW, RegOpenKeyTransactedW in reZevavEvadurov/registry.h).
//
// A transaction is a kernel object: CreateTransaction gives a handle, CloseHandle closes it.
// Registry changes made through keys opened in a transaction become visible to other handles
// and processes together at CommitTransaction, which returns once they are on disk; they are
// discarded by RollbackTransaction, by CloseHandle without a commit, and by the end of the
// process. Where this differs from Windows: a transaction spans the keys of one hive only
// (using it on a second hive answers ERROR_TRANSACTION_REQUEST_NOT_VALID); security
// attributes, isolation and promotion are not supported; `timeout` (milliseconds, 0 for none):
// at its time-out the transaction is rolled back and lets go of its hive, used or not. When the
// registry gives a transaction up after a failure (out of memory, disk full), every later call
// through it fails with ERROR_TRANSACTION_NOT_ACTIVE and nothing of it is kept. Thread-safe.

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using LPGUID = GUID*;

constexpr DWORD TRANSACTION_DO_NOT_PROMOTE = 0x00000001;

// A new transaction, or INVALID_HANDLE_VALUE with the last error set (ERROR_INVALID_PARAMETER
// for a unit-of-work id, which is reserved, or unknown options).
RZ_API HANDLE CreateTransaction(LPSECURITY_ATTRIBUTES attributes, LPGUID unitOfWork,
                                DWORD createOptions, DWORD isolationLevel, DWORD isolationFlags,
                                DWORD timeout, LPWSTR description);
// Makes every change of the transaction visible and durable at once. FALSE with the last error:
// ERROR_INVALID_HANDLE (not a transaction), ERROR_TRANSACTION_ALREADY_ABORTED,
// ERROR_TRANSACTION_ALREADY_COMMITTED, or the registry's code when the commit failed (the
// transaction is then rolled back).
RZ_API WINBOOL CommitTransaction(HANDLE transaction);
// Discards every change of the transaction. FALSE with ERROR_INVALID_HANDLE,
// ERROR_TRANSACTION_ALREADY_COMMITTED or ERROR_TRANSACTION_ALREADY_ABORTED.
RZ_API WINBOOL RollbackTransaction(HANDLE transaction);
