// The list operations of readWriteSettingsToFile: numbered items probed from 0 upwards.

#include "settings/readWriteSettingsToFileStorage.h"

#include "settings/settingsItemName.h"
#include "support/CPersistStubStringArray.h"
#include "support/CVector.h"
#include "support/hashMap.h"
#include <reZevavEvadurov/stubString.h>

#include <cstdint>
#include <new>

namespace
{

using namespace settingsItemName;

// Decimal without leading zeros, as item names are formed, and below `count`.
bool isItemNumberBelow(std::u16string_view digits, unsigned int count)
{
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits.front() == u'0'))
    {
        return false;
    }
    std::uint64_t number = 0;
    for (const char16_t digit : digits)
    {
        if (digit < u'0' || digit > u'9')
        {
            return false;
        }
        number = number * 10 + static_cast<std::uint64_t>(digit - u'0');
    }
    return number < count;
}

// The pair list is always the "dll" list.
constexpr unsigned int dllPairsCleared = 1000;

} // namespace

int readWriteSettingsToFile::removeItems(const WCHAR* prefix, const WCHAR* stem, unsigned int count)
{
    // The items of one stem sit together in name order, so one pass over them does what
    // removing every number below `count` one by one would, without walking up to 2^32 names.
    std::u16string itemStem;
    try
    {
        itemStem = stemOf(prefix, stem);
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
    auto item = m_storage->entries.lower_bound(itemStem);
    while (item != m_storage->entries.end() && item->first.starts_with(itemStem))
    {
        if (isItemNumberBelow(std::u16string_view(item->first).substr(itemStem.size()), count))
        {
            item = m_storage->entries.erase(item);
        }
        else
        {
            ++item;
        }
    }
    return 1;
}

int readWriteSettingsToFile::readIntegerArray(settingsIntegerArray& array, const WCHAR* prefix)
{
    try
    {
        for (unsigned int n = 0;; ++n)
        {
            unsigned int value = 0;
            if (readUInt(itemOf(prefix, integerStem, n).c_str(), value) == 0)
            {
                return 1;
            }
            if (array.Add(value) != settingsIntegerArray::addSucceeded)
            {
                return 0;
            }
        }
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

int readWriteSettingsToFile::writeIntegerArray(const WCHAR* logFileName,
                                               settingsIntegerArray& array, const WCHAR* prefix)
{
    int result = 1;
    try
    {
        for (DWORD n = 0; n < array.GetCount(); ++n)
        {
            const unsigned int value = array.GetAt(n);
            result &= writeUInt(logFileName, itemOf(prefix, integerStem, n).c_str(), value);
        }
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
    return result;
}

int readWriteSettingsToFile::deleteIntegerArray(const void*, const WCHAR* prefix,
                                                unsigned int count)
{
    return deletePairValues(prefix, count);
}

int readWriteSettingsToFile::deleteAllItems(const WCHAR* prefix, unsigned int count)
{
    int result = deleteStringArray(prefix, count);
    result &= deletePairNames(prefix, count);
    result &= deletePairValues(prefix, count);
    return result;
}

int readWriteSettingsToFile::readStringArray(CPersistStubStringArray& array, const WCHAR* prefix)
{
    try
    {
        for (unsigned int n = 0;; ++n)
        {
            stubString value;
            if (readString(itemOf(prefix, stringStem, n).c_str(), value) == 0)
            {
                return 1;
            }
            if (array.Add(value.c_str()) != CPersistStubStringArray::addSucceeded)
            {
                return 0;
            }
        }
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

int readWriteSettingsToFile::writeStringArray(const WCHAR* logFileName, CVector<stubString*>& array,
                                              const WCHAR* prefix)
{
    int result = 1;
    try
    {
        for (DWORD n = 0; n < array.GetCount(); ++n)
        {
            const stubString* const value = array.GetAt(n);
            if (value != nullptr)
            {
                result &= writeString(logFileName, itemOf(prefix, stringStem, n).c_str(), *value);
            }
        }
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
    return result;
}

int readWriteSettingsToFile::deleteStringArray(const WCHAR* prefix, unsigned int count)
{
    return removeItems(prefix, stringStem, count);
}

int readWriteSettingsToFile::deletePairNames(const WCHAR* prefix, unsigned int count)
{
    return removeItems(prefix, pairNameStem, count);
}

int readWriteSettingsToFile::deletePairValues(const WCHAR* prefix, unsigned int count)
{
    return removeItems(prefix, integerStem, count);
}

int readWriteSettingsToFile::readDllMap(settingsPairMap& pairs)
{
    pairs.RemoveAll();
    try
    {
        for (unsigned int n = 0;; ++n)
        {
            stubString name;
            unsigned int value = 0;
            if (readString(itemOf(dllPrefix, pairNameStem, n).c_str(), name) == 0 ||
                readUInt(itemOf(dllPrefix, integerStem, n).c_str(), value) == 0)
            {
                return 1;
            }
            if (!pairs.SetAt(name.c_str(), value))
            {
                return 0;
            }
        }
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

int readWriteSettingsToFile::writeDllMap(const WCHAR* logFileName, settingsPairMap& pairs)
{
    int result = deletePairNames(dllPrefix, dllPairsCleared);
    result &= deletePairValues(dllPrefix, dllPairsCleared);
    try
    {
        unsigned int n = 0;
        for (POSITION position = pairs.GetStartPosition(); position != nullptr; ++n)
        {
            stubString name;
            DWORD value = 0;
            pairs.GetNextAssoc(position, name, value);
            result &= writeString(logFileName, itemOf(dllPrefix, pairNameStem, n).c_str(), name);
            result &= writeUInt(logFileName, itemOf(dllPrefix, integerStem, n).c_str(), value);
        }
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
    return result;
}
