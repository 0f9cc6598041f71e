#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The product family's per-user data folder, {appdata}/Corvane/<product>, and paths below it.
// {appdata} is the roaming application-data folder of the platform layer; the separator is the
// native "/".
//
// Every operation returns a process-wide buffer of MAX_PATH + 1 (261) wide characters that it
// owns: callers never free it and copy the text when they need it later. A path that would
// not fit in 260 characters yields the empty string and nothing overruns. So does a failed
// folder lookup, in which case nothing is created either.
// The calling thread's last error is the same after every operation as before it.
// Not thread-safe: the buffers are shared and unsynchronised; call from the GUI thread only.

#include <reZevavEvadurov/winTypes.h>

#include <cstddef>

constexpr std::size_t productDataPathCapacity = MAX_PATH + 1;

// Looks `folder` up through the shell's SHGetFolderPathW, resolved by name on every call, and
// returns its status; `path` needs room for MAX_PATH wide characters. When the entry point is
// missing the buffer is left as it was and the result is HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND).
HRESULT getShellFolderPath(HWND window, int folder, HANDLE token, DWORD flags, LPWSTR path);

// {appdata}/Corvane/[<prefix> ]<productFolder>, creating "Corvane" and the product folder on
// every call (a folder that exists or cannot be made leaves the path as composed). A null or
// empty prefix adds nothing; a null product folder leaves the path ending in "/". The buffer
// is overwritten by the next call.
const WCHAR* getProductDataDirectory(const WCHAR* prefix, const WCHAR* productFolder);

// As getProductDataDirectory, followed by "/" and `fileName`. The file is neither created nor
// opened. A null file name yields the folder path with a trailing "/". The buffer (a second
// one, not that of getProductDataDirectory) is overwritten by the next call.
const WCHAR* getProductDataFilePath(const WCHAR* prefix, const WCHAR* productFolder,
                                    const WCHAR* fileName);

// Cached getProductDataFilePath, one buffer each. Once a call has stored a non-empty path the
// buffer never changes again and later arguments are ignored; an empty result is not kept, so
// the next call tries again. The tool passes (u"", u"Tarnwick x64", u"twLog_x64.txt") and
// (u"", u"Tarnwick x64", u"twLogUI_x64.txt").
const WCHAR* getLogFilePath(const WCHAR* prefix, const WCHAR* productFolder, const WCHAR* fileName);
const WCHAR* getUILogFilePath(const WCHAR* prefix, const WCHAR* productFolder,
                              const WCHAR* fileName);

// Appends the separator "/" to a non-empty path that does not end in one, within `capacity`
// wide characters (terminator included). Returns true when the path ends in "/" afterwards;
// false, with the path unchanged, for a null or empty path or when there is no room.
bool ensureTrailingBackslash(WCHAR* path, std::size_t capacity);

#pragma GCC visibility pop
