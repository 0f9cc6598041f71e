#pragma once

// readWriteSettings: the abstract, typed key/value settings store.
//
// Contract shared by every implementation:
// - Every operation returns 1 for success and 0 for failure; no exception leaves one.
// - A failed read leaves the caller's variable (number or stubString) untouched, so callers
//   preload the default. What the text reads leave in the caller's array after a failure is
//   the implementation's.
// - Writes take the log file to report a failure to first (null for none), then the value
//   name, then the value. Names are zero-terminated UTF-16 (8-bit for the ...A operations)
//   and are not kept after the call.
// - List items are numbered values named "[prefix]I<n>", "[prefix]S<n>", "[prefix]SS<n>"
//   (see settingsItemName); no item count is stored.
// - Deleting an item that does not exist is not an error.
// Not thread-safe: a store object is used by one thread at a time.
// The list containers (CVector, hashMap, CPersistStubStringArray) are the library's own and
// are not installed: programs outside the project use the single-value operations.

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

#include <ctime>

class stubString;
class CPersistStubStringArray;
template <class TYPE> class CVector;
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE> class hashMap;

// A set of value names: key and value are both the name.
using settingsNameSet = hashMap<stubString, const WCHAR*, stubString, const WCHAR*>;
// The "dll" pair list: names to 32-bit unsigned values.
using settingsPairMap = hashMap<stubString, const WCHAR*, DWORD, DWORD>;
// An integer array.
using settingsIntegerArray = CVector<DWORD>;

class RZ_API readWriteSettings
{
public:
    readWriteSettings() = default;
    virtual ~readWriteSettings() = default;
    readWriteSettings(const readWriteSettings&) = delete;
    readWriteSettings& operator=(const readWriteSettings&) = delete;

    // Makes what was written persistent; nothing to do by default.
    virtual int save() { return 1; }

    // Adds every stored name starting with `prefix` (case-sensitive) to `names`; 0 for a null
    // prefix or a store that cannot list its names.
    virtual int getValueNames(const WCHAR* prefix, settingsNameSet& names) = 0;

    virtual int readWord(const WCHAR* name, WORD& value) = 0;
    virtual int readString(const WCHAR* name, stubString& value) = 0;
    virtual int readStringA(const char* name, stubString& value) = 0;
    virtual int readUInt64(const WCHAR* name, ULONGLONG& value) = 0;
    virtual int readULongLong(const WCHAR* name, ULONGLONG& value) = 0;
    virtual int readDword(const WCHAR* name, DWORD& value) = 0;
    virtual int readDouble(const WCHAR* name, double& value) = 0;
    virtual int readUInt(const WCHAR* name, unsigned int& value) = 0;
    virtual int readInt(const WCHAR* name, int& value) = 0;
    virtual int readWChar(const WCHAR* name, WCHAR& value) = 0;
    virtual int readUChar(const WCHAR* name, unsigned char& value) = 0;
    virtual int readChar(const WCHAR* name, char& value) = 0;
    // `size` is the buffer's capacity in bytes.
    virtual int readTextA(const char* name, char* buffer, int size) = 0;
    // `size` is the buffer's capacity in characters.
    virtual int readText(const WCHAR* name, WCHAR* buffer, int size) = 0;
    virtual int readTime(const WCHAR* name, time_t& value) = 0;

    virtual int writeString(const WCHAR* logFileName, const WCHAR* name,
                            const stubString& value) = 0;
    virtual int writeStringA(const WCHAR* logFileName, const char* name,
                             const stubString& value) = 0;
    virtual int writeTextA(const WCHAR* logFileName, const char* name, const char* text) = 0;
    virtual int writeUInt64(const WCHAR* logFileName, const WCHAR* name,
                            const ULONGLONG& value) = 0;
    virtual int writeULongLong(const WCHAR* logFileName, const WCHAR* name,
                               const ULONGLONG& value) = 0;
    virtual int writeDword(const WCHAR* logFileName, const WCHAR* name, const DWORD& value) = 0;
    virtual int writeDouble(const WCHAR* logFileName, const WCHAR* name, const double& value) = 0;
    virtual int writeWord(const WCHAR* logFileName, const WCHAR* name, const WORD& value) = 0;
    virtual int writeUInt(const WCHAR* logFileName, const WCHAR* name,
                          const unsigned int& value) = 0;
    virtual int writeInt(const WCHAR* logFileName, const WCHAR* name, const int& value) = 0;
    virtual int writeWChar(const WCHAR* logFileName, const WCHAR* name, const WCHAR& value) = 0;
    virtual int writeUChar(const WCHAR* logFileName, const WCHAR* name,
                           const unsigned char& value) = 0;
    virtual int writeChar(const WCHAR* logFileName, const WCHAR* name, const char& value) = 0;
    // Stores exactly `length` characters of `text`.
    virtual int writeText(const WCHAR* logFileName, const WCHAR* name, const WCHAR* text,
                          int length) = 0;
    virtual int writeTime(const WCHAR* logFileName, const WCHAR* name, const time_t& value) = 0;

    virtual int readIntegerArray(settingsIntegerArray& array, const WCHAR* prefix) = 0;
    virtual int writeIntegerArray(const WCHAR* logFileName, settingsIntegerArray& array,
                                  const WCHAR* prefix) = 0;
    // The leading argument is not read by any implementation.
    virtual int deleteIntegerArray(const void* ignored, const WCHAR* prefix,
                                   unsigned int count) = 0;
    virtual int deleteAllItems(const WCHAR* prefix, unsigned int count) = 0;
    virtual int readStringArray(CPersistStubStringArray& array, const WCHAR* prefix) = 0;
    virtual int writeStringArray(const WCHAR* logFileName, CVector<stubString*>& array,
                                 const WCHAR* prefix) = 0;
    virtual int deleteStringArray(const WCHAR* prefix, unsigned int count) = 0;
    virtual int deletePairNames(const WCHAR* prefix, unsigned int count) = 0;
    virtual int deletePairValues(const WCHAR* prefix, unsigned int count) = 0;
    virtual int readDllMap(settingsPairMap& pairs) = 0;
    virtual int writeDllMap(const WCHAR* logFileName, settingsPairMap& pairs) = 0;
};
