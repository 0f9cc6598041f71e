#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// System error texts with the Windows functions' names, for the codes this layer produces.
// Each text is Windows' own English text, ending in "\r\n" as Windows' texts do.
//
// Supported: FORMAT_MESSAGE_FROM_SYSTEM (with or without FORMAT_MESSAGE_FROM_HMODULE and a
// null module), FORMAT_MESSAGE_IGNORE_INSERTS (the texts here hold no inserts, so it changes
// nothing), FORMAT_MESSAGE_ALLOCATE_BUFFER (then `buffer` is really a WCHAR** / char** that
// receives a LocalAlloc block the caller frees with LocalFree), and a line width of
// FORMAT_MESSAGE_MAX_WIDTH_MASK (line breaks dropped); other widths are treated as no limit.
// Languages: 0, and any neutral or English language id (0x400, 0x409, ...); others fail
// with ERROR_RESOURCE_LANG_NOT_FOUND.
// Where POSIX differs: Windows fails with ERROR_MR_MID_NOT_FOUND for a code it has no text
// for; here such a code gets the text "Unknown error <decimal> (0x<8 hex digits>).\r\n".
//
// Result: the number of characters stored, terminator excluded; 0 on failure with the last
// error set: ERROR_INVALID_PARAMETER for an unsupported source or a null buffer,
// ERROR_INSUFFICIENT_BUFFER when `size` characters cannot hold the text and its terminator,
// ERROR_NOT_ENOUGH_MEMORY when the buffer cannot be allocated. Thread-safe.

#include <reZevavEvadurov/winTypes.h>

#include <cstdarg>

constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;
constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr DWORD MAKELANGID(WORD primary, WORD sub)
{
    return (static_cast<DWORD>(sub) << 10) | primary;
}

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list* arguments);
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);

#pragma GCC visibility pop
