#include "support/logFile.h"

#include "platform/fileIo.h"
#include "platform/heap.h"
#include "platform/threads.h"
#include "support/boundedText.h"
#include "support/logFileState.h"
#include "support/stubHeap.h"
#include "support/stubSyncLock.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/stubString.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>

using namespace logFileState;

struct logFile::recordFields
{
    ULONGLONG value = 0;
    std::optional<ULONGLONG> secondValue;
    std::optional<HANDLE> heap;
    std::optional<DWORD> timestamp;
    std::optional<DWORD> threadId;
};

namespace
{

using recordTail = supportText::boundedText<char, 256>;
// " " hex64 " -> " hex64 " heap:" hex64 " timestamp:" hex32 " threadid:" hex32 "\r\n"
constexpr std::size_t longestTail = 1 + 18 + 4 + 18 + 6 + 18 + 11 + 10 + 10 + 10 + 2;

recordTail& appendHex32(recordTail& text, DWORD value)
{
    return text.append("0x").appendHex(value, 8, false);
}

recordTail& appendHex64(recordTail& text, ULONGLONG value)
{
    return text.append("0x").appendHex(value, 16, false);
}

recordTail& appendSignedDecimal(recordTail& text, int value)
{
    if (value < 0)
    {
        text.append('-');
    }
    const auto magnitude = static_cast<std::uint64_t>(value < 0 ? -static_cast<std::int64_t>(value)
                                                                : static_cast<std::int64_t>(value));
    return text.appendDecimal(magnitude);
}

// Set while a write is under way, from taking the lock to releasing it.
class writeInProgressFlag
{
public:
    writeInProgressFlag() { writeInProgress.store(1, std::memory_order_relaxed); }
    ~writeInProgressFlag() { writeInProgress.store(0, std::memory_order_relaxed); }
    writeInProgressFlag(const writeInProgressFlag&) = delete;
    writeInProgressFlag& operator=(const writeInProgressFlag&) = delete;
};

bool isEnabled()
{
    return loggingEnabled.load(std::memory_order_relaxed) != 0;
}

} // namespace

template <class Record>
void logFile::perform(const WCHAR* fileName, const WCHAR* label, gate when, bool closeAfter,
                      Record record)
{
    if ((when == gate::beforeLock && !isEnabled()) ||
        writeInProgress.load(std::memory_order_relaxed) != 0)
    {
        return;
    }
    // Released in reverse: the flag, then the lock, then the caller's error code comes back.
    const lastErrorPreserver preserveLastError;
    stubSyncLock guard(&logLock, TRUE, label);
    const writeInProgressFlag inProgress;
    logFile& log = globalLogFile;
    log.setFileName(fileName);
    // The "3()" writes come this far while logging is off: they write nothing and must not
    // create the file, but a closing one still closes a file left open.
    if (isEnabled() && log.openIfClosed())
    {
        record(log);
    }
    if (closeAfter && log.isOpen())
    {
        log.close();
    }
}

template <class Text>
void logFile::writeValueRecord(const WCHAR* fileName, const WCHAR* label, const Text* text,
                               const recordFields& fields, bool closeAfter)
{
    perform(fileName, label, gate::beforeLock, closeAfter,
            [text, &fields](logFile& log)
            {
                recordTail tail;
                if constexpr (std::is_same_v<Text, WCHAR>)
                {
                    log.writeNarrowed(text);
                }
                else if (text != nullptr && std::strlen(text) + longestTail < tail.capacity())
                {
                    tail.append(text); // one write for the whole record
                }
                else
                {
                    log.writeText(text);
                }
                appendHex64(tail.append(' '), fields.value);
                if (fields.secondValue)
                {
                    appendHex64(tail.append(" -> "), *fields.secondValue);
                }
                if (fields.heap)
                {
                    appendHex64(tail.append(" heap:"),
                                reinterpret_cast<std::uintptr_t>(*fields.heap));
                }
                if (fields.timestamp && fields.threadId)
                {
                    appendHex32(tail.append(" timestamp:"), *fields.timestamp);
                    appendHex32(tail.append(" threadid:"), *fields.threadId);
                }
                log.writeText(tail.append("\r\n").c_str());
            });
}

void logFile::writeToLogFile(const WCHAR* fileName, const char* text)
{
    perform(fileName, u"logFile::writeToLogFile 2()", gate::beforeLock, false,
            [text](logFile& log) { log.writeText(text); });
}

void logFile::writeToLogFile(const WCHAR* fileName, int value)
{
    perform(fileName, u"logFile::writeToLogFile 3()", gate::beforeOpen, true,
            [value](logFile& log)
            {
                recordTail record;
                log.writeText(appendSignedDecimal(record, value).append("\r\n").c_str());
            });
}

void logFile::writeToLogFile(const WCHAR* fileName, DWORD value)
{
    perform(fileName, u"logFile::writeToLogFile 3()", gate::beforeOpen, false,
            [value](logFile& log)
            {
                recordTail record;
                log.writeText(appendHex32(record, value).append("\r\n").c_str());
            });
}

void logFile::writeToLogFile(const WCHAR* fileName, ULONGLONG value)
{
    perform(fileName, u"logFile::writeToLogFile 4()", gate::beforeLock, true,
            [value](logFile& log)
            {
                recordTail record;
                log.writeText(appendHex64(record, value).append("\r\n").c_str());
            });
}

void logFile::writeToLogFile(const WCHAR* fileName, const WCHAR* text)
{
    perform(fileName, u"logFile::writeToLogFile 5()", gate::beforeLock, false,
            [text](logFile& log) { log.writeText(text); });
}

void logFile::writeToLogFile(const stubString& fileName, const stubString& text)
{
    const WCHAR* const wideText = text.c_str();
    perform(fileName.c_str(), u"logFile::writeToLogFile 6()", gate::beforeLock, false,
            [wideText](logFile& log) { log.writeText(wideText); });
}

void logFile::writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 7()", text,
                     recordFields{value, {}, {}, {}, {}}, true);
}

void logFile::writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value, BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 8()", text,
                     recordFields{value, {}, {}, {}, {}}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value, BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 9()", text,
                     recordFields{value, {}, {}, {}, {}}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value,
                             DWORD timestamp, DWORD threadId, BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 10()", text,
                     recordFields{value, {}, {}, timestamp, threadId}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value,
                             DWORD timestamp, DWORD threadId, BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 11()", text,
                     recordFields{value, {}, {}, timestamp, threadId}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value, HANDLE heap,
                             DWORD timestamp, DWORD threadId, BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 10()", text,
                     recordFields{value, {}, heap, timestamp, threadId}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value, HANDLE heap,
                             DWORD timestamp, DWORD threadId, BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 11()", text,
                     recordFields{value, {}, heap, timestamp, threadId}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const char* text, ULONGLONG value,
                             ULONGLONG secondValue, HANDLE heap, DWORD timestamp, DWORD threadId,
                             BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 10()", text,
                     recordFields{value, secondValue, heap, timestamp, threadId}, close != FALSE);
}

void logFile::writeToLogFile(const WCHAR* fileName, const WCHAR* text, ULONGLONG value,
                             ULONGLONG secondValue, HANDLE heap, DWORD timestamp, DWORD threadId,
                             BOOL close)
{
    writeValueRecord(fileName, u"logFile::writeToLogFile 11()", text,
                     recordFields{value, secondValue, heap, timestamp, threadId}, close != FALSE);
}

void logFile::writeThreadId(const WCHAR* fileName)
{
    perform(fileName, u"logFile::writeThreadId()", gate::beforeLock, false,
            [](logFile& log)
            {
                recordTail record;
                log.writeText(appendHex32(record, GetCurrentThreadId()).append("\r\n").c_str());
            });
}

void logFile::writeIndentToLogFile(const WCHAR* fileName, int count)
{
    perform(fileName, u"logFile::writeIndentToLogFile()", gate::beforeLock, true,
            [count](logFile& log)
            {
                static constexpr char blanks[] = "                                ";
                constexpr int chunk = sizeof blanks - 1;
                for (int left = count; left > 0; left -= chunk)
                {
                    log.writeBytes(blanks, static_cast<std::size_t>(std::min(left, chunk)));
                }
            });
}

void logFile::writeToLogFileFixedLength(const WCHAR* fileName, const void* bytes, DWORD count)
{
    perform(fileName, u"logFile::writeToLogFileFixedLength()", gate::beforeLock, true,
            [bytes, count](logFile& log) { log.writeBytes(bytes, count); });
}

void logFile::writeToLogFileBytes(const WCHAR* fileName, const void* bytes, DWORD count)
{
    perform(fileName, u"logFile::writeToLogFileBytes()", gate::beforeLock, false,
            [bytes, count](logFile& log) { log.writeBytes(bytes, count); });
}

void logFile::writeToLogFileANSI(const WCHAR* fileName, const WCHAR* text)
{
    perform(fileName, u"logFile::writeToLogFileANSI()", gate::beforeLock, false,
            [text](logFile& log) { log.writeNarrowed(text); });
}

void logFile::optimisedOpenWriteClose(const WCHAR* fileName, const char* text)
{
    perform(fileName, u"logFile::optimisedOpenWriteClose 1()", gate::beforeLock, false,
            [text](logFile& log) { log.writeText(text); });
}

void logFile::optimisedOpenWriteClose(const WCHAR* fileName, const WCHAR* text)
{
    perform(fileName, u"logFile::optimisedOpenWriteClose 2()", gate::beforeLock, false,
            [text](logFile& log) { log.writeText(text); });
}

void logFile::flushFileBuffers()
{
    const lastErrorPreserver preserveLastError;
    const stubSyncLock guard(&logLock, TRUE, u"logFile::flushFileBuffers()");
    if (globalLogFile.isOpen())
    {
        FlushFileBuffers(globalLogFile.m_file);
    }
}

void setLoggingEnabled(DWORD enabled)
{
    loggingEnabled.store(enabled, std::memory_order_relaxed);
}

DWORD isLoggingEnabled()
{
    return loggingEnabled.load(std::memory_order_relaxed);
}

void setLogSystemErrors(DWORD enabled)
{
    logSystemErrors.store(enabled, std::memory_order_relaxed);
}

void setTimingLogFile(const WCHAR* fileName)
{
    timingLogFile.store(fileName, std::memory_order_relaxed);
}

void destroyLogHeap()
{
    const lastErrorPreserver preserveLastError;
    const stubSyncLock guard(&logLock, TRUE);
    // The name copy lives on the heap: drop it first, or the next write would read freed memory.
    globalLogFile.forgetFileName();
    if (logHeap != nullptr)
    {
        corHeaps::removeHeap(logHeap);
        HeapDestroy(logHeap);
        logHeap = nullptr;
    }
}
