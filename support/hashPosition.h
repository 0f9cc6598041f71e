#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Iteration position of the hash tables and maps: an opaque pointer. Null means "no more
// entries"; BEFORE_START_POSITION (all bits set) is what GetStartPosition returns for a
// non-empty table. A position is invalidated by any insertion or removal.

#include <cstdint>

struct hashPositionTag;
using POSITION = hashPositionTag*;

inline POSITION const BEFORE_START_POSITION = reinterpret_cast<POSITION>(~std::uintptr_t{0});

#pragma GCC visibility pop
