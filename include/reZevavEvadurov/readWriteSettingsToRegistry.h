#pragma once

// readWriteSettingsToRegistry: the settings store on the values of one open registry key.
//
// Ownership: the store borrows the key given to setKey and never opens, duplicates or closes
// it; whoever called setKey keeps the key open while the store is used and closes it after.
// Several stores may share one key.
// Storage: every read is one query of a fixed width, every write one set with a fixed type and
// size (REG_DWORD of 2, 4 or 8 bytes for the integers and the time, REG_BINARY for the
// characters and the double, REG_SZ for text); nothing is cached and save() has nothing to do.
// Failure: with no key every operation returns 0 (the list operations their documented
// results) and logs nothing, except writeIntegerArray and writeDllMap, which still try each
// set and report its failure. A write's result is handed to the diagnostic log through
// logFileName when that is not null, which records failures only. A failed numeric read leaves the
// variable untouched when the value is missing; a stored value shorter than the read's width fills
// only the low bytes, a longer one fails. Text reads stop at the first NUL or the end of the stored
// data, never read past it, and empty the caller's array on failure. The calling thread's
// last-error code is the same after every operation as before it. Not thread-safe: one thread at a
// time per store.

#include <reZevavEvadurov/readWriteSettings.h>

class RZ_API readWriteSettingsToRegistry : public readWriteSettings
{
public:
    // Longest text a string item or a "dll" name may have and still be listed: the
    // enumeration skips names of 260 characters or more and data over 520 bytes.
    static constexpr DWORD listNameChars = 260;
    static constexpr DWORD listDataBytes = 520;
    // readIntegerArray skips item numbers from here up rather than allocate gigabytes for a
    // stray name such as "[P]I2147483647".
    static constexpr LONG maxIntegerItem = 0x100000;

    readWriteSettingsToRegistry() = default;
    ~readWriteSettingsToRegistry() override;

    // Replaces the key; the previous one is neither checked nor released.
    void setKey(HKEY newKey) { key = newKey; }
    HKEY getKey() const { return key; }

    int getValueNames(const WCHAR* prefix, settingsNameSet& names) override;

    int readWord(const WCHAR* name, WORD& value) override;
    int readString(const WCHAR* name, stubString& value) override;
    int readStringA(const char* name, stubString& value) override;
    int readUInt64(const WCHAR* name, ULONGLONG& value) override;
    int readULongLong(const WCHAR* name, ULONGLONG& value) override;
    int readDword(const WCHAR* name, DWORD& value) override;
    int readDouble(const WCHAR* name, double& value) override;
    int readUInt(const WCHAR* name, unsigned int& value) override;
    int readInt(const WCHAR* name, int& value) override;
    int readWChar(const WCHAR* name, WCHAR& value) override;
    int readUChar(const WCHAR* name, unsigned char& value) override;
    int readChar(const WCHAR* name, char& value) override;
    // A null buffer or a size below 1 fails and touches nothing.
    int readTextA(const char* name, char* buffer, int size) override;
    int readText(const WCHAR* name, WCHAR* buffer, int size) override;
    int readTime(const WCHAR* name, time_t& value) override;

    int writeString(const WCHAR* logFileName, const WCHAR* name, const stubString& value) override;
    int writeStringA(const WCHAR* logFileName, const char* name, const stubString& value) override;
    int writeTextA(const WCHAR* logFileName, const char* name, const char* text) override;
    int writeUInt64(const WCHAR* logFileName, const WCHAR* name, const ULONGLONG& value) override;
    int writeULongLong(const WCHAR* logFileName, const WCHAR* name,
                       const ULONGLONG& value) override;
    int writeDword(const WCHAR* logFileName, const WCHAR* name, const DWORD& value) override;
    int writeDouble(const WCHAR* logFileName, const WCHAR* name, const double& value) override;
    int writeWord(const WCHAR* logFileName, const WCHAR* name, const WORD& value) override;
    int writeUInt(const WCHAR* logFileName, const WCHAR* name, const unsigned int& value) override;
    int writeInt(const WCHAR* logFileName, const WCHAR* name, const int& value) override;
    int writeWChar(const WCHAR* logFileName, const WCHAR* name, const WCHAR& value) override;
    int writeUChar(const WCHAR* logFileName, const WCHAR* name,
                   const unsigned char& value) override;
    int writeChar(const WCHAR* logFileName, const WCHAR* name, const char& value) override;
    // A negative length, or a null text with a positive length, fails (and is reported).
    int writeText(const WCHAR* logFileName, const WCHAR* name, const WCHAR* text,
                  int length) override;
    int writeTime(const WCHAR* logFileName, const WCHAR* name, const time_t& value) override;

    // List operations. Item names that would not fit 260 characters are neither read nor
    // written (a write reports them as failed).
    int readIntegerArray(settingsIntegerArray& array, const WCHAR* prefix) override;
    int writeIntegerArray(const WCHAR* logFileName, settingsIntegerArray& array,
                          const WCHAR* prefix) override;
    int deleteIntegerArray(const void* ignored, const WCHAR* prefix, unsigned int count) override;
    int deleteAllItems(const WCHAR* prefix, unsigned int count) override;
    int readStringArray(CPersistStubStringArray& array, const WCHAR* prefix) override;
    int writeStringArray(const WCHAR* logFileName, CVector<stubString*>& array,
                         const WCHAR* prefix) override;
    int deleteStringArray(const WCHAR* prefix, unsigned int count) override;
    int deletePairNames(const WCHAR* prefix, unsigned int count) override;
    int deletePairValues(const WCHAR* prefix, unsigned int count) override;
    int readDllMap(settingsPairMap& pairs) override;
    int writeDllMap(const WCHAR* logFileName, settingsPairMap& pairs) override;

private:
    int readFixed(const WCHAR* name, void* value, DWORD width);
    int writeFixed(const WCHAR* logFileName, const WCHAR* name, DWORD type, const void* data,
                   DWORD size, const char* context);
    void deleteItems(const WCHAR* prefix, const WCHAR* stem, unsigned int count);
    DWORD countValuesForPairs();

    HKEY key = nullptr;
};
