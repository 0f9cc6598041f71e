#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Local memory with the Windows functions' names: the allocator of buffers that Windows
// functions hand out (FormatMessage's FORMAT_MESSAGE_ALLOCATE_BUFFER) for the caller to free.

#include <reZevavEvadurov/winTypes.h>

using HLOCAL = void*;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// A fixed block of at least `bytes` bytes (zeroed with LMEM_ZEROINIT); null with
// ERROR_NOT_ENOUGH_MEMORY on failure. Movable blocks (LMEM_MOVEABLE) are not offered: the
// flag is refused with ERROR_INVALID_PARAMETER.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Null on success (also for a null block), as on Windows. Only blocks from LocalAlloc may be
// passed.
HLOCAL LocalFree(HLOCAL block);

#pragma GCC visibility pop
