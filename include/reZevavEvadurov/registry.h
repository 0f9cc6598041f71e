#pragma once

// The Windows registry on SQLite. Two hives, each one database file:
//   HKEY_CURRENT_USER  $XDG_CONFIG_HOME (default ~/.config)/reZevavEvadurov/
//                      HKEY_CURRENT_USER.hive, mode 0600; holds "Software" from the start
//   HKEY_USERS         first entry of $XDG_CONFIG_DIRS (default /etc/xdg)/reZevavEvadurov/
//                      HKEY_USERS.hive, mode 0644, journal files kept and readable by all;
//                      holds ".DEFAULT" and ".DEFAULT\Software" from the start
// The path is resolved from the environment each time a root is used. A read never makes a
// file or folder (SQLite's own -wal/-shm files aside, while a hive is open); the first write
// makes the hive. Every mutating call outside a registry transaction
// (reZevavEvadurov/transaction.h) is one transaction of its own, committed and visible to other
// processes when it returns. Closing the last handle on a hive, and RegFlushKey, copy its journal
// into the database file.
//
// Results, access checks and error codes follow the Win32 functions of the same names. Where
// the POSIX form differs: there are no security descriptors, so write access to a key is
// write access to its hive file (ERROR_ACCESS_DENIED otherwise, also when opening with write
// rights); a damaged hive fails reads with ERROR_BADDB and is moved aside, not repaired, by
// the first write that creates or sets something; key classes and volatile keys are not
// supported; the 8-bit code page is UTF-8. Only HKEY_CURRENT_USER and HKEY_USERS exist;
// other predefined keys answer ERROR_INVALID_HANDLE.
//
// Thread-safe: one process-wide lock serialises the calls. After fork the child starts with no
// open handles; it should not use a hive its parent had open at the time of the fork.

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

// Macros, as on Windows (see INVALID_HANDLE_VALUE in winTypes.h).
#define HKEY_CURRENT_USER                                                                          \
    (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000001))))
#define HKEY_USERS                                                                                 \
    (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000003))))

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM DELETE_ACCESS = 0x00010000; // DELETE
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Options and dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Change notification filters.
constexpr DWORD REG_NOTIFY_CHANGE_NAME = 0x00000001;
constexpr DWORD REG_NOTIFY_CHANGE_ATTRIBUTES = 0x00000002;
constexpr DWORD REG_NOTIFY_CHANGE_LAST_SET = 0x00000004;
constexpr DWORD REG_NOTIFY_CHANGE_SECURITY = 0x00000008;
constexpr DWORD REG_NOTIFY_THREAD_AGNOSTIC = 0x10000000;

// A new key must keep Windows' limits: a name of at most 256 UTF-16 units, at most 512 levels
// below the root of its hive (HKEY_CURRENT_USER, or a sub-key of HKEY_USERS such as .DEFAULT);
// else ERROR_INVALID_PARAMETER and nothing is created. Opening or deleting a longer name that
// no key has answers ERROR_INVALID_PARAMETER too. Keys stored beyond the limits stay reachable.
RZ_API LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                               DWORD options, REGSAM access, const SECURITY_ATTRIBUTES* security,
                               PHKEY result, LPDWORD disposition);
RZ_API LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
// The transacted forms (the handle from CreateTransaction, reZevavEvadurov/transaction.h): the key,
// and every key opened below it, works inside the transaction. A key of a transaction that
// ended answers ERROR_TRANSACTION_NOT_ACTIVE; `extendedParameter` must be null.
RZ_API LSTATUS RegCreateKeyTransactedW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                       DWORD options, REGSAM access,
                                       const SECURITY_ATTRIBUTES* security, PHKEY result,
                                       LPDWORD disposition, HANDLE transaction,
                                       PVOID extendedParameter);
RZ_API LSTATUS RegOpenKeyTransactedW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access,
                                     PHKEY result, HANDLE transaction, PVOID extendedParameter);
RZ_API LSTATUS RegCloseKey(HKEY key);
RZ_API LSTATUS RegFlushKey(HKEY key);
RZ_API LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD dataSize);
RZ_API LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD dataSize);
RZ_API LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD dataSize);
RZ_API LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD dataSize);
RZ_API LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameChars,
                             LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
RZ_API LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars,
                             LPDWORD reserved, LPWSTR keyClass, LPDWORD classChars,
                             PFILETIME lastWriteTime);
RZ_API LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
RZ_API LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// Deletes `subKey` with everything below it, or with a null `subKey` everything below `key`
// and its values but not the key. Needs DELETE, KEY_ENUMERATE_SUB_KEYS and KEY_QUERY_VALUE,
// and KEY_SET_VALUE when the key holds values. One write transaction: all or nothing.
RZ_API LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey);
// Counts and longest lengths as Windows gives them: names in UTF-16 units without the
// terminator, data in bytes. Keys have no class (empty, longest 0) and no security descriptor
// (size 0); the last write time is the key's own stamp.
RZ_API LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classChars, LPDWORD reserved,
                                LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                                LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes,
                                LPDWORD securityDescriptorBytes, PFILETIME lastWriteTime);

// Sets `event` once the key (or with `watchSubtree` anything below it) changes as `filter`
// asks (REG_NOTIFY_CHANGE_NAME: a sub-key made or deleted; _LAST_SET: a value set or
// deleted), whichever process commits the change; also when the key is deleted or `key` is
// closed. One change per call: call again for the next. With `asynchronous` FALSE the call
// returns only after the change and `event` is ignored. The event stays referenced while the
// registration lasts, even if its handle is closed. A program of an older build that keeps no
// change log changes hives unannounced.
RZ_API LSTATUS RegNotifyChangeKeyValue(HKEY key, WINBOOL watchSubtree, DWORD filter, HANDLE event,
                                       WINBOOL asynchronous);

// Not a Windows function: the number of key handles currently open in this process
// (predefined roots excluded), so tests can prove that every pass closes what it opened.
RZ_API DWORD regOpenHandleCount();
