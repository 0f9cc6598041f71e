#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// File handles with the Windows functions' names and results, for writers that open, append
// and close (the diagnostic log). Handles are kernel objects: close them with CloseHandle
// (reZevavEvadurov/handle.h). Paths are UTF-16, converted to UTF-8 native POSIX paths here.
//
// Where POSIX differs from Windows:
// - Sharing: the share mode is accepted and not enforced; POSIX has no mandatory sharing,
//   so other openers are never refused (as if every FILE_SHARE_* flag were given).
// - Access: FILE_APPEND_DATA without FILE_WRITE_DATA / GENERIC_WRITE opens in append mode:
//   every write goes to the end of the file at that moment, also when other processes append
//   too (Windows gives append-only handles the same guarantee).
// - New files: mode 0666 less the umask, whatever the security attributes carry, a null
//   access list ("everyone may access") included. On Windows such a file sits in the user's
//   profile, which other users cannot enter; widening it to 0666 here would let any local user
//   who reaches the folder rewrite it. The umask is the user's own say over new files.
// - File attributes and flags (FILE_ATTRIBUTE_NORMAL, ...) are accepted and ignored; the
//   template handle is ignored.
// Failures set the calling thread's last error. Thread-safety: any thread may use a handle;
// writes through one handle are not serialised against each other beyond what write(2) gives.

#include <reZevavEvadurov/winTypes.h>

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD GENERIC_ALL = 0x10000000u;
constexpr DWORD FILE_READ_DATA = 0x0001;
constexpr DWORD FILE_WRITE_DATA = 0x0002;
constexpr DWORD FILE_APPEND_DATA = 0x0004;

constexpr DWORD FILE_SHARE_READ = 0x0001;
constexpr DWORD FILE_SHARE_WRITE = 0x0002;
constexpr DWORD FILE_SHARE_DELETE = 0x0004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

struct OVERLAPPED; // overlapped I/O is not offered
using LPOVERLAPPED = OVERLAPPED*;
using PLONG = LONG*;

// INVALID_HANDLE_VALUE on failure, with the last error:
//   ERROR_FILE_NOT_FOUND (OPEN_EXISTING, TRUNCATE_EXISTING: no such file),
//   ERROR_PATH_NOT_FOUND (a folder on the way is missing; a null or empty name),
//   ERROR_FILE_EXISTS (CREATE_NEW: the file exists),
//   ERROR_ACCESS_DENIED (no permission, read-only file system, a folder),
//   ERROR_FILENAME_EXCED_RANGE, ERROR_DISK_FULL, ERROR_TOO_MANY_OPEN_FILES,
//   ERROR_INVALID_PARAMETER (unknown disposition; TRUNCATE_EXISTING without write access).
// CREATE_ALWAYS and OPEN_ALWAYS set the last error to ERROR_ALREADY_EXISTS when the file was
// there and to ERROR_SUCCESS when it was made, as on Windows.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES security, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// Writes all `count` bytes unless an error stops it; `written` (may be null, where Windows
// requires it) receives the number written. FALSE with ERROR_INVALID_HANDLE for a handle
// that is not an open file, ERROR_ACCESS_DENIED without write or append access,
// ERROR_DISK_FULL, ERROR_WRITE_FAULT for other errors, ERROR_INVALID_PARAMETER for a null
// buffer with a non-zero count or a non-null `overlapped`.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);

// Moves the file position; returns the low 32 bits of the new position and stores the high
// 32 bits in `distanceHigh` when it is given (then the distance is 64 bits wide). On failure
// INVALID_SET_FILE_POINTER with ERROR_NEGATIVE_SEEK (before the start), ERROR_INVALID_PARAMETER
// (unknown method; a position beyond 32 bits without `distanceHigh`) or ERROR_INVALID_HANDLE.
// A successful result that equals INVALID_SET_FILE_POINTER leaves ERROR_SUCCESS as last error.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);

// Cuts or extends the file to the current position. Needs FILE_WRITE_DATA / GENERIC_WRITE:
// an append-only handle is refused with ERROR_ACCESS_DENIED, as on Windows.
BOOL SetEndOfFile(HANDLE file);

// Writes the file's data and metadata through to the disk (fsync). Needs write or append
// access (ERROR_ACCESS_DENIED otherwise).
BOOL FlushFileBuffers(HANDLE file);

#pragma GCC visibility pop
