#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Small conversions between registry data and SQLite rows, shared by the hive's database code.

#include "platform/registryDatabase.h"

#include <cstddef>
#include <cstring>
#include <span>
#include <sqlite3.h>
#include <string>

namespace registryStore::rows
{

inline std::span<const std::byte> bytesOf(const std::string& text)
{
    return std::as_bytes(std::span<const char>(text.data(), text.size()));
}

// A statement that ran to its end found nothing: `notFound`; anything else is an error.
inline DWORD notFoundOr(int rc, DWORD notFound)
{
    return rc == SQLITE_DONE ? notFound : registryDatabase::errorFrom(rc);
}

inline void copyData(std::span<const std::byte> from, storedValue& value)
{
    value.data.resize(from.size());
    if (!from.empty())
    {
        std::memcpy(value.data.data(), from.data(), from.size());
    }
}

} // namespace registryStore::rows

#pragma GCC visibility pop
