#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Where the last RegEnumValueW or RegEnumKeyExW call on a handle stopped, so that a walk
// index by index costs the same per step whatever the index. The position is trusted only
// for the connection, key and state of the hive it was taken from: any change to the hive
// (by this connection or another process) makes the next call find its index from the start.
// Owned by the handle; used under the registry's lock, like the handle itself.

#include <reZevavEvadurov/winTypes.h>

#include <cstdint>
#include <memory>
#include <string>

namespace registryStore
{

struct enumerationCursor
{
    std::weak_ptr<const void> connection; // which connection took the position
    std::int64_t key = 0;
    DWORD index = 0;
    std::int64_t rowId = 0; // the value at `index`: its creation-order id
    std::string folded;     // the sub-key at `index`: its folded name
    std::int64_t changes = -1;
    unsigned dataVersion = 0;
};

struct handleCursors
{
    enumerationCursor values;
    enumerationCursor subKeys;
};

} // namespace registryStore

#pragma GCC visibility pop
