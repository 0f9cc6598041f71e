#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Where the two hives live and what each holds from the start.
//   HKEY_CURRENT_USER  $XDG_CONFIG_HOME (default $HOME/.config)/reZevavEvadurov/
//                      HKEY_CURRENT_USER.hive; mode 0600, standard key "Software"
//   HKEY_USERS         <folder>/reZevavEvadurov/HKEY_USERS.hive, where <folder> is the first
//                      absolute $XDG_CONFIG_DIRS entry (default /etc/xdg) that holds such a
//                      file, or the first entry when none does; mode 0644, journal files kept
//                      so other users can read it; standard keys ".DEFAULT" and
//                      ".DEFAULT\Software"
// Paths are resolved from the environment and the file system at each call, so a changed
// environment gives a different hive. Relative XDG entries are ignored, as the XDG rules ask.

#include <reZevavEvadurov/registry.h>

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

namespace registryStore
{

using keyId = std::int64_t;

// A key every hive of a kind holds from the start. Their ids are fixed, so a handle opened on
// a hive whose file did not exist yet stays valid once the file is made.
struct standardKey
{
    keyId id;
    keyId parent; // 0 for the root
    const char16_t* name;
};

struct hiveLayout
{
    mode_t fileMode;
    bool keepJournal; // SQLITE_FCNTL_PERSIST_WAL
    std::span<const standardKey> standardKeys;
    // How far below the file's root key Windows' hives begin, the level its key depths count
    // from: 0 for HKEY_CURRENT_USER, a hive of its own; 1 for HKEY_USERS, whose every sub-key
    // (.DEFAULT among them) is the root of a hive.
    std::int64_t hiveDepth;
};

class registryHiveLocation
{
public:
    static constexpr keyId rootKey = 1;

    // Null for a root other than HKEY_CURRENT_USER and HKEY_USERS.
    static const hiveLayout* layout(HKEY root);
    // The hive file for a supported root; empty when the environment names no folder.
    static std::string path(HKEY root);
};

} // namespace registryStore

#pragma GCC visibility pop
