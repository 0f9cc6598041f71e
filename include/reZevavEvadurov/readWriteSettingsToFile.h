#pragma once

// readWriteSettingsToFile: the settings store kept in memory as typed entries and loaded from
// and saved to one file of its own (format in settingsFileFormat.h).
//
// A read succeeds only when the entry exists with the tag and width the read expects: numbers
// (tag 4) by exact width (1, 2, 4 or 8 bytes), texts (tag 1) by tag alone. A failed read
// leaves the caller's variable untouched (readTextA empties its buffer when the text does not
// fit). Writes replace an entry of the same name whatever its old kind, ignore `logFileName`
// (this store writes no log), and fail (0) only when memory runs out or an argument is
// unusable (null name; null text with a non-zero length; a negative length). Names are exact
// and case-sensitive; entries are kept in the order of their UTF-16 code units.
//
// The 8-bit names of readStringA/writeStringA are converted as stubString converts 8-bit text
// (UTF-8); writeStringA records the name widened byte by byte with sign extension inside the
// entry. readTextA/writeTextA widen names and texts byte by byte with sign extension.
//
// Persistence: nothing reaches the disk before saveFile, save or destruction. The file name
// that save and the destructor use is set by setFileName; it starts unset, and loadFile does
// not set it. The destructor saves when it is set (the result is lost; call save first to
// see it). Files are replaced atomically: see wholeFile::replaceFile.
//
// Not thread-safe: one thread at a time. Not copyable.

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/readWriteSettings.h>

#include <cstddef>
#include <memory>
#include <string_view>

// The entries and their map are the library's own (settings/settingsFileFormat.h).
class settingsEntry;
class settingsEntryMap;

class RZ_API readWriteSettingsToFile : public readWriteSettings
{
public:
    // Throws std::bad_alloc when memory runs out.
    readWriteSettingsToFile();
    ~readWriteSettingsToFile() override;

    // Replaces the whole content by the file's. 1 on success, also when damaged entries were
    // dropped; 0, with the store empty, when the file is missing, cannot be read whole, is
    // larger than 4 GiB - 1 bytes, holds fewer than 4 bytes, or memory runs out. Does not
    // change the file name. The calling thread's last error is preserved.
    int loadFile(const WCHAR* path);

    // Replaces the file at `path` by the whole content. 1 on success; 0 when it cannot be
    // written, in which case the old file is left as it was. Entries never change. The
    // calling thread's last error is preserved.
    int saveFile(const WCHAR* path) const;

    // 0 when both stores hold the same entries. Otherwise the difference of the entry counts
    // when they differ; else, visiting this store's entries in name order, -1 at the first
    // name `other` lacks, or the first non-zero settingsEntry::compare result.
    int compare(const readWriteSettingsToFile& other) const;

    // Sets the file that save and the destructor write (a copy is kept); null unsets it.
    // 1 on success, 0 when memory runs out (the old name is kept).
    int setFileName(const WCHAR* path);
    // The file name, or null when unset. Valid until the next setFileName.
    const WCHAR* getFileName() const;

    // The entries in name order, for inspection (the project's own code and tests).
    const settingsEntryMap& entries() const;

    int save() override;

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
    // Copies the text, each code unit cut to its low byte, with a terminator when it fits in
    // `size` bytes; otherwise 0 and, when size >= 1, an empty string in `buffer`.
    int readTextA(const char* name, char* buffer, int size) override;
    // Copies as wcsncpy does: at most `size` characters, zero-filled up to `size`, and no
    // terminator when the text fills it. A size of 0 copies nothing and succeeds; a negative
    // size, or a null buffer with a positive size, fails.
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
    int writeText(const WCHAR* logFileName, const WCHAR* name, const WCHAR* text,
                  int length) override;
    int writeTime(const WCHAR* logFileName, const WCHAR* name, const time_t& value) override;

    // The list reads probe items 0, 1, 2 ... and stop at the first that cannot be read; they
    // return 1, or 0 when the caller's container could not take an item. The list writes
    // return the AND of their item writes.
    int readIntegerArray(settingsIntegerArray& array, const WCHAR* prefix) override;
    int writeIntegerArray(const WCHAR* logFileName, settingsIntegerArray& array,
                          const WCHAR* prefix) override;
    int deleteIntegerArray(const void* ignored, const WCHAR* prefix, unsigned int count) override;
    int deleteAllItems(const WCHAR* prefix, unsigned int count) override;
    // Appends; the array is not emptied first.
    int readStringArray(CPersistStubStringArray& array, const WCHAR* prefix) override;
    // A null element is skipped; no item carries its number.
    int writeStringArray(const WCHAR* logFileName, CVector<stubString*>& array,
                         const WCHAR* prefix) override;
    int deleteStringArray(const WCHAR* prefix, unsigned int count) override;
    int deletePairNames(const WCHAR* prefix, unsigned int count) override;
    int deletePairValues(const WCHAR* prefix, unsigned int count) override;
    // Empties `pairs`, then reads [dll]S<n> / [dll]I<n> until either is missing.
    int readDllMap(settingsPairMap& pairs) override;
    // Removes pairs 0 to 999, then writes the map's entries in its visiting order; items
    // numbered 1000 and above are left as they were.
    int writeDllMap(const WCHAR* logFileName, settingsPairMap& pairs) override;

private:
    const settingsEntry* find(std::u16string_view name) const;
    int readNumber(const WCHAR* name, void* value, std::size_t width) const;
    int writeNumber(const WCHAR* name, const void* value, std::size_t width);
    // Stores `entry` under `key`, replacing any entry of that name. 0 when memory runs out.
    int put(std::u16string_view key, settingsEntry&& entry);
    // Removes "[prefix]<stem><n>" for every n below `count`. 0 only when memory runs out.
    int removeItems(const WCHAR* prefix, const WCHAR* stem, unsigned int count);

    // The entries, their memory and the file name (settings/readWriteSettingsToFileStorage.h).
    struct storage;
    std::unique_ptr<storage> m_storage;
};
