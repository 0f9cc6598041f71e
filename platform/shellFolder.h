#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The shell's special-folder lookup. Only the roaming application-data folder exists here:
//   CSIDL_APPDATA   $XDG_DATA_HOME when it is set to an absolute path, else $HOME/.local/share
//                   ($HOME likewise absolute), without a trailing "/".
// Safe to call from any thread (reads the environment; may create the folder).

#include <reZevavEvadurov/winTypes.h>

constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_FLAG_MASK = 0xFF00; // CSIDL_FLAG_CREATE and kin, accepted and ignored

constexpr DWORD SHGFP_TYPE_CURRENT = 0;
constexpr DWORD SHGFP_TYPE_DEFAULT = 1;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr HRESULT HRESULT_FROM_WIN32(DWORD code)
{
    return code == 0 ? S_OK : static_cast<HRESULT>((code & 0xFFFFu) | 0x80070000u);
}

// Writes the folder's path, at most MAX_PATH - 1 characters and the terminator, into `path`
// (room for MAX_PATH wide characters) and returns S_OK. The folder is made (mode 0700, with
// its parents) when it does not exist yet, as a Windows profile always has it.
// Failure leaves `path` untouched: E_FAIL when neither variable gives an absolute path, the
// path does not fit, or no folder can be made there; E_INVALIDARG for another folder id, a
// non-null access token (only the calling user's folders exist), a flags value other than
// SHGFP_TYPE_CURRENT or SHGFP_TYPE_DEFAULT, or a null buffer. The owner window is unused.
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);

// Linux has no "Shell32.dll" to load: the shell functions are part of this layer. This stands
// in for loading that module and looking an entry point up by name: it answers the entry point
// of SHGetFolderPathW for "SHGetFolderPathW", and null for any other name (the 8-bit twin
// "SHGetFolderPathA" included: nothing here calls it). Nothing needs unloading.
using PFNSHGETFOLDERPATHW = HRESULT (*)(HWND owner, int folder, HANDLE token, DWORD flags,
                                        LPWSTR path);
PFNSHGETFOLDERPATHW findShell32FolderPathEntry(LPCSTR entryName);

#pragma GCC visibility pop
