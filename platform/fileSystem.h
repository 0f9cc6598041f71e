#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// File attributes, directory creation and file deletion with the Win32 names and results.
// Paths are UTF-16, converted to UTF-8 native POSIX paths at this boundary and used exactly as
// given (relative paths resolve against the current directory, nothing is trimmed).
//
// Failures set the calling thread's last error; successes leave it alone, as Windows does.
// A missing path answers ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND
// when a folder on the way is missing or is not a folder; a null or empty path answers
// ERROR_PATH_NOT_FOUND. All functions are safe to call from any thread.

#include <reZevavEvadurov/winTypes.h>

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x00000040;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD FILE_ATTRIBUTE_SPARSE_FILE = 0x00000200;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD FILE_ATTRIBUTE_COMPRESSED = 0x00000800;
constexpr DWORD FILE_ATTRIBUTE_OFFLINE = 0x00001000;
constexpr DWORD FILE_ATTRIBUTE_NOT_CONTENT_INDEXED = 0x00002000;
constexpr DWORD FILE_ATTRIBUTE_ENCRYPTED = 0x00004000;
constexpr DWORD FILE_ATTRIBUTE_INTEGRITY_STREAM = 0x00008000;
constexpr DWORD FILE_ATTRIBUTE_VIRTUAL = 0x00010000;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

// Attributes from stat(), the final symbolic link followed:
//   directory                                   FILE_ATTRIBUTE_DIRECTORY
//   character or block device, FIFO, socket     FILE_ATTRIBUTE_DEVICE
//   plain file                                  FILE_ATTRIBUTE_ARCHIVE (as files made on Windows)
// plus FILE_ATTRIBUTE_READONLY when the owner may not write, FILE_ATTRIBUTE_HIDDEN when the
// last name starts with "." ("." and ".." themselves excepted), and
// FILE_ATTRIBUTE_REPARSE_POINT when the path itself is a symbolic link. A dangling link fails.
// Failure: INVALID_FILE_ATTRIBUTES with the last error as described above, ERROR_ACCESS_DENIED
// when a folder on the way may not be searched, ERROR_FILENAME_EXCED_RANGE for an overlong
// name.
DWORD GetFileAttributesW(LPCWSTR fileName);

// mkdir with mode 0777 less the umask; the security attributes are not honoured (POSIX has no
// descriptors; the mode and umask govern). Only the last folder is made.
// Failure FALSE: ERROR_ALREADY_EXISTS when anything exists under the name (a dangling link
// included), ERROR_PATH_NOT_FOUND when a folder on the way is missing, ERROR_ACCESS_DENIED
// when the folder may not be written, ERROR_DISK_FULL, ERROR_FILENAME_EXCED_RANGE.
BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);

// Removes a file, or a symbolic link itself (never its target).
// Failure FALSE: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND; ERROR_ACCESS_DENIED for a
// folder, for a read-only file (as Windows refuses to delete one; POSIX alone would allow it),
// or when the folder may not be written. POSIX differs in one respect: a file that another
// process holds open is deleted all the same, where Windows may answer a sharing violation.
BOOL DeleteFileW(LPCWSTR fileName);

#pragma GCC visibility pop
