#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Critical sections with the Windows functions' names and semantics: recursive for the
// owning thread, blocking for others. The structure is the caller's; Initialize must come
// before any other call and Delete after the last one, as on Windows. Leaving a section the
// thread does not hold, or using one that is not initialised, is undefined, as on Windows.

#include <reZevavEvadurov/winTypes.h>

#include <mutex>
#include <optional>

struct CRITICAL_SECTION
{
    // Windows keeps owner and recursion fields here; a recursive mutex does that work.
    std::optional<std::recursive_mutex> mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
// Non-zero when the section was entered (also recursively); 0 when another thread holds it.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

#pragma GCC visibility pop
