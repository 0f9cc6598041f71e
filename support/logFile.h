#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// logFile: the process-wide diagnostic log writer.
//
// Every static write names the file it goes to (UTF-16 path). The one global logFile object
// opens that file on demand (appending, creating it when absent, readable and writable by
// other users), writes one record as raw bytes and then closes the file or keeps it open for
// the next record, as each operation says. 8-bit text is written as its bytes; wide text as
// UTF-16LE code units, no terminator, no byte-order mark; a "narrowed" wide text as the low
// 8 bits of each code unit. Numbers: hex32 is "0x" and 8 lower-case hexadecimal digits,
// hex64 "0x" and 16, decimal as "%d". Lines end in "\r\n".
//
// Gating: every write returns at once while logging is disabled (the start state) or while
// another write is under way on any thread (such a write is dropped, not queued). The two
// "writeToLogFile 3()" writes (decimal and hex32) only take the log lock and record the name
// while disabled (and the closing decimal one closes a file left open); they never open or
// create one then. Writes never report failure: a file that cannot be opened skips the record
// and the next write tries again; short writes are ignored. Null texts and names are
// skipped, never read. Every operation here leaves the caller's last-error code unchanged.
//
// Naming a different file than the open one closes the open file first, so each record goes
// to the file its write names.
//
// Thread-safety: every operation may be called from any thread; writes are serialised by
// the log lock and the name maps have locks of their own.

#include <reZevavEvadurov/winTypes.h>

#include <concepts>
#include <cstddef>

class stubString;

class logFile
{
public:
    logFile() = default;
    // Frees the name copy; a file still open is left to the system to close at exit.
    ~logFile();
    logFile(const logFile&) = delete;
    logFile& operator=(const logFile&) = delete;

    // Records (and whether the file is closed afterwards):
    static void writeToLogFile(const WCHAR* fileName, const char* text); // text; open
    static void writeToLogFile(const WCHAR* fileName, int value);        // decimal \r\n; close
    static void writeToLogFile(const WCHAR* fileName, DWORD value);      // hex32 \r\n; open
    static void writeToLogFile(const WCHAR* fileName, ULONGLONG value);  // hex64 \r\n; close
    // ULONGLONG is `unsigned long` here, so a 64-bit literal (0x1234ull) would match no
    // overload best; it is the hex64 record, as where ULONGLONG is `unsigned long long`.
    template <class T>
    requires std::same_as<T, unsigned long long> &&
        (!std::same_as<ULONGLONG, unsigned long long>)static void writeToLogFile(
            const WCHAR* fileName, T value)
    {
        writeToLogFile(fileName, static_cast<ULONGLONG>(value));
    }
    static void writeToLogFile(const WCHAR* fileName, const WCHAR* text); // wide text; open
    static void writeToLogFile(const stubString& fileName, const stubString& text); // wide; open
    // text " " hex64 \r\n; closes.
    static void writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value);
    // text " " hex64 \r\n; closes when `close` is non-zero (the wide text narrowed).
    static void writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value,
                               BOOL close);
    static void writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value,
                               BOOL close);
    // text " " hex64 " timestamp:" hex32 " threadid:" hex32 \r\n; closes when `close`.
    static void writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value,
                               DWORD timestamp, DWORD threadId, BOOL close);
    static void writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value,
                               DWORD timestamp, DWORD threadId, BOOL close);
    // text " " hex64 " heap:" hex64 " timestamp:" hex32 " threadid:" hex32 \r\n.
    static void writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value,
                               HANDLE heap, DWORD timestamp, DWORD threadId, BOOL close);
    static void writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value,
                               HANDLE heap, DWORD timestamp, DWORD threadId, BOOL close);
    // text " " hex64 " -> " hex64 " heap:" hex64 " timestamp:" hex32 " threadid:" hex32 \r\n.
    static void writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value,
                               ULONGLONG secondValue, HANDLE heap, DWORD timestamp, DWORD threadId,
                               BOOL close);
    static void writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value,
                               ULONGLONG secondValue, HANDLE heap, DWORD timestamp, DWORD threadId,
                               BOOL close);

    static void writeThreadId(const WCHAR* fileName);                   // hex32 \r\n; open
    static void writeIndentToLogFile(const WCHAR* fileName, int count); // blanks; close
    // Exactly `count` bytes; closes (and so creates an empty file for 0).
    static void writeToLogFileFixedLength(const WCHAR* fileName, const void* bytes, DWORD count);
    static void writeToLogFileBytes(const WCHAR* fileName, const void* bytes, DWORD count);
    static void writeToLogFileANSI(const WCHAR* fileName, const WCHAR* text);      // narrowed; open
    static void optimisedOpenWriteClose(const WCHAR* fileName, const char* text);  // open
    static void optimisedOpenWriteClose(const WCHAR* fileName, const WCHAR* text); // open
    // Flushes the open file, if any, to the disk. Not gated by the enable switch.
    static void flushFileBuffers();

private:
    friend void destroyLogHeap();

    // Whether a write is gated by the enable switch before the lock (every write but the two
    // "3()" ones) or only before opening the file.
    enum class gate
    {
        beforeLock,
        beforeOpen
    };
    // The common write sequence around one record; `record` writes through the open object.
    template <class Record>
    static void perform(const WCHAR* fileName, const WCHAR* label, gate when, bool closeAfter,
                        Record record);
    struct recordFields; // the value and the optional fields that follow a record's text
    template <class Text>
    static void writeValueRecord(const WCHAR* fileName, const WCHAR* label, const Text* text,
                                 const recordFields& fields, bool closeAfter);

    void setFileName(const WCHAR* fileName);
    void forgetFileName();
    bool openIfClosed();
    void close();
    bool isOpen() const { return m_file != INVALID_HANDLE_VALUE; }

    void writeBytes(const void* bytes, std::size_t count);
    void writeText(const char* text);
    void writeText(const WCHAR* text);
    void writeNarrowed(const WCHAR* text);

    WCHAR* m_fileName = nullptr; // on the log heap
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

// Reports a failed system call: the system's text for `errorCode` (ending in "\r\n"), then
// " : " and `context`, and " : " and `detail` when it is given, no line end; written with the
// 8-bit (first form) or wide (second form) text writer, file left open. In the wide form the
// 8-bit context is widened byte for byte. Nothing is written while logging is disabled, while
// system-error reports are switched off, or for error code 0. The composed text is cut to
// 2999 characters. A plain nullptr detail selects the 8-bit form.
void writeSystemErrorToLogFile(const WCHAR* fileName, DWORD errorCode, const char* context,
                               const char* detail);
void writeSystemErrorToLogFile(const WCHAR* fileName, DWORD errorCode, const char* context,
                               const WCHAR* detail);
inline void writeSystemErrorToLogFile(const WCHAR* fileName, DWORD errorCode, const char* context,
                                      std::nullptr_t)
{
    writeSystemErrorToLogFile(fileName, errorCode, context, static_cast<const char*>(nullptr));
}

// Name numbering: a name gets the number of the names seen before it plus one (from 1, never
// reused; case-sensitive; an 8-bit name is widened byte for byte). Numbering happens whether
// or not logging is enabled; only the writes are gated. A null name is not numbered and
// writes nothing.
// Writes "Function_" / "Filename_" and hex32 of the number with the 8-bit text writer.
void writeFunctionNameToLogFile(const WCHAR* fileName, const WCHAR* functionName);
void writeFunctionNameToLogFile(const WCHAR* fileName, const char* functionName);
void writeFileNameToLogFile(const WCHAR* fileName, const WCHAR* nameToNumber);
// Fill the caller's `token` with "Function_" / "FilenameMap_" and the hex32 characters,
// terminated; an empty text for a null name or when the number cannot be stored. The buffer
// must hold nameTokenCapacity characters (the longest token and its terminator fit); a null
// buffer gets nothing, but the name is still numbered.
inline constexpr std::size_t nameTokenCapacity = 24;
void makeFunctionNameToken(const WCHAR* functionName, WCHAR* token);
void makeFileNameMapToken(const WCHAR* nameToNumber, WCHAR* token);

// The switches: logging (0, off, at start), system-error reports (1, on, at start).
void setLoggingEnabled(DWORD enabled);
DWORD isLoggingEnabled();
void setLogSystemErrors(DWORD enabled);

// The target of logStopwatch records; kept by pointer, so the text must outlive its use.
// Null (the start state) writes no stopwatch records.
void setTimingLogFile(const WCHAR* fileName);

// Destroys the log heap (made on first use, HeapCreate(0, 0x10000, 0), registered with
// corHeaps) and unregisters it; the global object first closes its file and drops its name.
// A later write makes a new heap.
void destroyLogHeap();

#pragma GCC visibility pop
