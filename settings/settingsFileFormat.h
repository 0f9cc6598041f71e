#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The settings file format: a signed 32-bit entry count, then the entries back to back in
// ascending name order, each as
//   name length L (uint32, 2 x characters + 2) | name, UTF-16LE with its zero code unit |
//   type tag (int32) | data size D (uint32) | D data bytes
// All integers little-endian; no signature, version or checksum.
//
// Parsing works on bytes in memory and never reads outside them, whatever the counts and
// lengths say. Not thread-safe per map; the functions keep no state.

#include "settings/settingsEntry.h"
#include "settings/settingsNameOrder.h"
#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory_resource>
#include <string>

class settingsFileImage;

// The store's entries, keyed by name in settingsNameOrder. Lookups are exact and
// case-sensitive.
// Nodes and keys come from the map's memory resource, so that a store can keep them close
// together and walk them in name order without a cache miss per entry.
// A class rather than an alias so that the installed store header can declare it.
class settingsEntryMap : public std::pmr::map<std::pmr::u16string, settingsEntry, settingsNameOrder>
{
public:
    using map::map;
};

namespace settingsFileFormat
{

// Replaces `entries` by the entries of the file image `data`. False, with `entries` empty,
// when fewer than 4 bytes are given. Otherwise true: an entry whose fields do not all read
// whole, or whose name or data length is 0, is dropped and the next one is read from just
// after its last whole field; once no length field is left whole, the rest of the count is
// dropped. A later entry of the same name replaces an earlier one. Runs in time linear in
// `size` (plus the map insertions). May throw std::bad_alloc, leaving `entries` partly filled.
bool parse(const BYTE* data, std::size_t size, settingsEntryMap& entries);

// Bytes of the file image of `entries`.
std::uint64_t imageSize(const settingsEntryMap& entries);

// Appends the file image of `entries` to `image`, reserving its whole size first. False when the
// image cannot grow, or the entries do not fit the format (more than 2^31 - 1 entries, a name or
// data size beyond 32 bits); the image is then incomplete.
bool serialize(const settingsEntryMap& entries, settingsFileImage& image);

} // namespace settingsFileFormat

#pragma GCC visibility pop
