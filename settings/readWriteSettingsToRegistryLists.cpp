// The list operations of readWriteSettingsToRegistry: listing names by prefix, integer and
// string arrays, the "dll" pair list and the deletion of numbered items.

#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include "platform/wideText.h"
#include "settings/settingsItemName.h"
#include "support/CPersistStubStringArray.h"
#include "support/CVector.h"
#include "support/hashMap.h"
#include "support/logFile.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/stubString.h>

#include <cstdint>
#include <string>

namespace
{
// Item names are formed in buffers of this many characters, terminator included.
constexpr std::size_t kItemNameChars = 261;
// The counting of readDllMap looks at larger values than the listing does.
constexpr DWORD kCountNameChars = 520;
constexpr DWORD kCountDataBytes = 1040;
// Names of the pair list are formed in buffers of 40 characters.
constexpr std::size_t kPairNameChars = 40;
constexpr unsigned int kPairsCleared = 100;

using namespace settingsItemName;

// The number wcstol(text, nullptr, 10) gives where long is 32 bits: leading white space and a
// sign are taken, digits up to the first other character, 0 when none, clamped on overflow.
LONG itemNumber(const WCHAR* text)
{
    while (*text == u' ' || (*text >= u'\t' && *text <= u'\r'))
    {
        ++text;
    }
    const bool negative = *text == u'-';
    if (*text == u'-' || *text == u'+')
    {
        ++text;
    }
    std::int64_t value = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text)
    {
        value = value * 10 + (*text - u'0');
        if (value > std::int64_t{INT32_MAX} + 1)
        {
            value = std::int64_t{INT32_MAX} + 1;
        }
    }
    if (negative)
    {
        return static_cast<LONG>(-value);
    }
    return value > INT32_MAX ? INT32_MAX : static_cast<LONG>(value);
}

// Capacity to grow to, kept within what a DWORD can count.
DWORD clampedCapacity(std::uint64_t capacity)
{
    return capacity > UINT32_MAX ? UINT32_MAX : static_cast<DWORD>(capacity);
}

DWORD wideBytes(const WCHAR* text)
{
    return static_cast<DWORD>((wideText::length(text) + 1) * sizeof(WCHAR));
}

void report(const WCHAR* logFileName, LSTATUS result, const char* context, const WCHAR* name)
{
    if (logFileName != nullptr)
    {
        writeSystemErrorToLogFile(logFileName, static_cast<DWORD>(result), context, name);
    }
}

// Calls visit(name, type, dataBytes) for every value of `key` in order, the name
// ended within its buffer. A value whose name or data does not fit the buffers is passed over.
template <DWORD NameChars, DWORD DataBytes, class Visit> void forEachValue(HKEY key, Visit visit)
{
    WCHAR name[NameChars];
    BYTE data[DataBytes];
    for (DWORD index = 0;; ++index)
    {
        DWORD nameChars = NameChars;
        DWORD dataBytes = DataBytes;
        DWORD type = REG_NONE;
        const LSTATUS result =
            RegEnumValueW(key, index, name, &nameChars, nullptr, &type, data, &dataBytes);
        if (result == ERROR_MORE_DATA)
        {
            continue;
        }
        if (result != ERROR_SUCCESS)
        {
            break;
        }
        name[nameChars < NameChars ? nameChars : NameChars - 1] = 0;
        visit(name, type, dataBytes);
    }
}
} // namespace

int readWriteSettingsToRegistry::getValueNames(const WCHAR* prefix, settingsNameSet& names)
{
    if (prefix == nullptr)
    {
        return 0;
    }
    if (key == nullptr)
    {
        return 1;
    }
    const lastErrorPreserver preserveLastError;
    const std::size_t prefixLength = wideText::length(prefix);
    forEachValue<listNameChars, listDataBytes>(
        key,
        [&](const WCHAR* name, DWORD, DWORD)
        {
            if (wideText::compareN(name, prefix, prefixLength) == 0)
            {
                names[name] = name;
            }
        });
    return 1;
}

int readWriteSettingsToRegistry::readIntegerArray(settingsIntegerArray& array, const WCHAR* prefix)
{
    if (prefix == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    settingsNameSet names(10);
    const std::u16string stem = stemOf(prefix, integerStem);
    getValueNames(stem.c_str(), names);

    const DWORD found = static_cast<DWORD>(names.GetCount());
    if (found != 0 && found >= array.GetCapacity())
    {
        const std::uint64_t stepped = std::uint64_t{array.GetCapacity()} + array.GetGrowBy();
        array.GrowTo(clampedCapacity(stepped > found ? stepped : found));
    }

    POSITION position = names.GetStartPosition();
    while (position != nullptr)
    {
        stubString name;
        stubString sameName;
        names.GetNextAssoc(position, name, sameName);
        const LONG number = itemNumber(name.c_str() + stem.size());
        if (number < 0 || number >= maxIntegerItem)
        {
            continue;
        }
        DWORD value = 0;
        if (!readDword(name, value))
        {
            continue;
        }
        const DWORD index = static_cast<DWORD>(number);
        const DWORD capacity = array.GetCapacity();
        if (index + 1 >= capacity)
        {
            const DWORD shortfall = index + 1 - capacity;
            array.GrowTo(shortfall < array.GetGrowBy()
                             ? clampedCapacity(std::uint64_t{capacity} + array.GetGrowBy())
                             : index + 1);
        }
        if (index < array.GetCapacity())
        {
            array.SetAt(index, value);
        }
    }
    return 1;
}

int readWriteSettingsToRegistry::writeIntegerArray(const WCHAR* logFileName,
                                                   settingsIntegerArray& array, const WCHAR* prefix)
{
    const lastErrorPreserver preserveLastError;
    WCHAR name[kItemNameChars];
    for (DWORD i = 0; i < array.GetCount(); ++i)
    {
        const DWORD value = array.GetAt(i);
        const LSTATUS result =
            formatItem(name, kItemNameChars, prefix, integerStem, i)
                ? RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof value)
                : static_cast<LSTATUS>(ERROR_FILENAME_EXCED_RANGE);
        report(logFileName, result, "set value", name);
    }
    return 1;
}

void readWriteSettingsToRegistry::deleteItems(const WCHAR* prefix, const WCHAR* stem,
                                              unsigned int count)
{
    if (key == nullptr)
    {
        return;
    }
    const lastErrorPreserver preserveLastError;
    WCHAR name[kItemNameChars];
    for (unsigned int n = 0; n < count; ++n)
    {
        // A name cut short would delete some other value.
        if (formatItem(name, kItemNameChars, prefix, stem, n))
        {
            RegDeleteValueW(key, name);
        }
    }
}

int readWriteSettingsToRegistry::deleteIntegerArray(const void*, const WCHAR* prefix,
                                                    unsigned int count)
{
    return deletePairValues(prefix, count);
}

int readWriteSettingsToRegistry::deleteAllItems(const WCHAR* prefix, unsigned int count)
{
    if (key == nullptr)
    {
        return 1;
    }
    const lastErrorPreserver preserveLastError;
    WCHAR name[kItemNameChars];
    for (unsigned int n = 0; n < count; ++n)
    {
        for (const WCHAR* stem : {stringStem, pairNameStem, integerStem})
        {
            if (formatItem(name, kItemNameChars, prefix, stem, n))
            {
                RegDeleteValueW(key, name);
            }
        }
    }
    return 1;
}

int readWriteSettingsToRegistry::readStringArray(CPersistStubStringArray& array,
                                                 const WCHAR* prefix)
{
    const lastErrorPreserver preserveLastError;
    settingsNameSet names(10);
    getValueNames(stemOf(prefix, stringStem).c_str(), names);
    POSITION position = names.GetStartPosition();
    while (position != nullptr)
    {
        stubString name;
        stubString sameName;
        names.GetNextAssoc(position, name, sameName);
        stubString text;
        if (readString(name, text))
        {
            array.Add(text);
        }
    }
    return 1;
}

int readWriteSettingsToRegistry::writeStringArray(const WCHAR* logFileName,
                                                  CVector<stubString*>& array, const WCHAR* prefix)
{
    const lastErrorPreserver preserveLastError;
    int allWritten = 1;
    WCHAR name[kItemNameChars];
    for (DWORD i = 0; i < array.GetCount(); ++i)
    {
        const stubString* const text = array.GetAt(i);
        if (text == nullptr)
        {
            continue;
        }
        if (!formatItem(name, kItemNameChars, prefix, stringStem, i))
        {
            if (key != nullptr)
            {
                report(logFileName, ERROR_FILENAME_EXCED_RANGE, "setting string value", name);
            }
            allWritten = 0;
            continue;
        }
        allWritten &= writeString(logFileName, name, *text);
    }
    return allWritten;
}

int readWriteSettingsToRegistry::deleteStringArray(const WCHAR* prefix, unsigned int count)
{
    deleteItems(prefix, stringStem, count);
    return 1;
}

int readWriteSettingsToRegistry::deletePairNames(const WCHAR* prefix, unsigned int count)
{
    deleteItems(prefix, pairNameStem, count);
    return 1;
}

int readWriteSettingsToRegistry::deletePairValues(const WCHAR* prefix, unsigned int count)
{
    deleteItems(prefix, integerStem, count);
    return 1;
}

DWORD readWriteSettingsToRegistry::countValuesForPairs()
{
    if (key == nullptr)
    {
        return 0;
    }
    DWORD counted = 0;
    forEachValue<kCountNameChars, kCountDataBytes>(
        key,
        [&counted](const WCHAR*, DWORD type, DWORD dataBytes)
        {
            if ((type == REG_DWORD && dataBytes == sizeof(DWORD)) || type == REG_SZ)
            {
                ++counted;
            }
        });
    return counted;
}

int readWriteSettingsToRegistry::readDllMap(settingsPairMap& pairs)
{
    const lastErrorPreserver preserveLastError;
    pairs.RemoveAll();
    const DWORD pairCount = countValuesForPairs() / 2;

    readWriteSettingsToRegistry reader;
    reader.setKey(key);
    WCHAR valueName[kPairNameChars];
    WCHAR pairName[kPairNameChars];
    WCHAR text[listNameChars];
    for (DWORD i = 0; i < pairCount; ++i)
    {
        formatItem(valueName, kPairNameChars, dllPrefix, integerStem, i);
        formatItem(pairName, kPairNameChars, dllPrefix, pairNameStem, i);
        DWORD value = 0;
        const int valueRead = reader.readDword(valueName, value);
        const int nameRead = reader.readText(pairName, text, listNameChars);
        if (valueRead && nameRead)
        {
            pairs[text] = value;
        }
    }
    return 1;
}

int readWriteSettingsToRegistry::writeDllMap(const WCHAR* logFileName, settingsPairMap& pairs)
{
    const lastErrorPreserver preserveLastError;
    deletePairNames(dllPrefix, kPairsCleared);
    deletePairValues(dllPrefix, kPairsCleared);

    WCHAR name[kPairNameChars];
    unsigned int k = 0;
    POSITION position = pairs.GetStartPosition();
    while (position != nullptr)
    {
        stubString pairName;
        DWORD value = 0;
        pairs.GetNextAssoc(position, pairName, value);

        formatItem(name, kPairNameChars, dllPrefix, pairNameStem, k);
        LSTATUS result =
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(pairName.c_str()),
                           wideBytes(pairName.c_str()));
        report(logFileName, result, "set string value", name);
        if (result != ERROR_SUCCESS)
        {
            continue;
        }
        formatItem(name, kPairNameChars, dllPrefix, integerStem, k);
        result = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value);
        report(logFileName, result, "set dword value", name);
        if (result == ERROR_SUCCESS)
        {
            ++k;
        }
    }
    return 1;
}
