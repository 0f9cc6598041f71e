// Fuzzes the settings file parser: any bytes must parse without reading outside them, and
// whatever loads must save and load again to the same entries.

#include "settings/settingsFileFormat.h"
#include "settings/settingsFileHeap.h"
#include "settings/settingsFileImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace
{

void check(bool condition)
{
    if (!condition)
    {
        __builtin_trap();
    }
}

bool sameEntries(const settingsEntryMap& a, const settingsEntryMap& b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (auto left = a.begin(), right = b.begin(); left != a.end(); ++left, ++right)
    {
        if (left->first != right->first || left->second.compare(right->second) != 0)
        {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    settingsEntryMap entries;
    const bool loaded = settingsFileFormat::parse(data, size, entries);
    check(loaded == (size >= 4));
    for (const auto& [name, entry] : entries)
    {
        check(name == entry.name());
        check(name.find(u'\0') == std::u16string::npos);
        check(entry.dataSize() > 0 && entry.dataSize() <= size);
    }
    if (!loaded)
    {
        check(entries.empty());
        return 0;
    }

    settingsFileHeap heap;
    check(heap.isValid());
    settingsFileImage image(heap);
    check(settingsFileFormat::serialize(entries, image));
    settingsEntryMap reloaded;
    check(settingsFileFormat::parse(image.data(), image.size(), reloaded));
    check(sameEntries(entries, reloaded));

    // A saved image is canonical: saving what it loads gives the same bytes.
    settingsFileImage again(heap);
    check(settingsFileFormat::serialize(reloaded, again));
    check(again.size() == image.size() &&
          std::equal(image.data(), image.data() + image.size(), again.data()));
    return 0;
}
