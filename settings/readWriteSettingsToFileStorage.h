#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// What a readWriteSettingsToFile holds, kept out of the installed header so that its
// containers and memory resource stay the library's own.

#include "settings/settingsFileFormat.h"
#include <reZevavEvadurov/readWriteSettingsToFile.h>

#include <memory_resource>
#include <optional>
#include <string>

struct readWriteSettingsToFile::storage
{
    // Declared before the entries, which allocate from it and must go first.
    std::pmr::unsynchronized_pool_resource pool;
    settingsEntryMap entries{&pool};
    std::optional<std::u16string> fileName;
};

#pragma GCC visibility pop
