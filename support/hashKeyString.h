#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The string hash of the hash tables and maps: from 0, hash = hash * 33 + unit for each code
// unit up to the terminator, in 32-bit unsigned arithmetic. The bucket is hash modulo the
// bucket count. A null text hashes as the empty string (0).

#include <reZevavEvadurov/winTypes.h>

UINT hashKeyString(const WCHAR* text);

// The 8-bit twin: the same rule over bytes taken as signed, so a byte from 0x80 up adds its
// value minus 256.
UINT hashKeyStringA(const char* text);

#pragma GCC visibility pop
