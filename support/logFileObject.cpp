#include "support/logFile.h"

#include "platform/fileIo.h"
#include "platform/fileSystem.h"
#include "platform/heap.h"
#include "platform/security.h"
#include "platform/wideText.h"
#include "support/logFileState.h"
#include "support/stubHeap.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>

#include <algorithm>
#include <bit>
#include <cstring>

// The global object's file and name handling; the write operations are in logFile.cpp.

using namespace logFileState;

namespace
{

constexpr SIZE_T logHeapInitialSize = 0x10000;

// Under the log lock.
HANDLE logHeapOnFirstUse()
{
    if (logHeap == nullptr)
    {
        logHeap = HeapCreate(0, logHeapInitialSize, 0);
        corHeaps::addHeap(logHeap);
    }
    return logHeap;
}

} // namespace

logFile::~logFile()
{
    if (m_fileName != nullptr && logHeap != nullptr)
    {
        HeapFree(logHeap, 0, m_fileName);
    }
    m_fileName = nullptr;
    m_file = INVALID_HANDLE_VALUE;
}

void logFile::forgetFileName()
{
    if (isOpen())
    {
        close();
    }
    if (m_fileName != nullptr)
    {
        HeapFree(logHeap, 0, m_fileName);
        m_fileName = nullptr;
    }
}

void logFile::setFileName(const WCHAR* fileName)
{
    const bool same = (m_fileName == nullptr && fileName == nullptr) ||
                      (m_fileName != nullptr && fileName != nullptr &&
                       wideText::compare(m_fileName, fileName) == 0);
    if (same)
    {
        return;
    }
    // Records go to the file their write names, so the old file is closed, not reused.
    forgetFileName();
    HANDLE const heap = fileName != nullptr ? logHeapOnFirstUse() : nullptr;
    if (heap == nullptr)
    {
        return;
    }
    const std::size_t length = wideText::length(fileName);
    auto* const copy = static_cast<WCHAR*>(HeapAlloc(heap, 0, (length + 1) * sizeof(WCHAR)));
    if (copy != nullptr)
    {
        std::copy_n(fileName, length + 1, copy);
        m_fileName = copy;
    }
}

bool logFile::openIfClosed()
{
    if (isOpen())
    {
        return true;
    }
    if (m_fileName == nullptr)
    {
        return false;
    }
    // A null access list, as on Windows; here the new file still gets 0666 less the umask
    // (platform/fileIo.h), so other users cannot rewrite it.
    SECURITY_DESCRIPTOR descriptor{};
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) != FALSE &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE) != FALSE)
    {
        attributes.lpSecurityDescriptor = &descriptor;
    }
    // Append-only access: records land at the end even when another process appends too.
    const auto open = [&](DWORD disposition)
    {
        return CreateFileW(m_fileName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE file = open(OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
    {
        file = open(CREATE_NEW);
        // Another process may have made the file since the first attempt.
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
        {
            file = open(OPEN_EXISTING);
        }
    }
    if (file == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    SetFilePointer(file, 0, nullptr, FILE_END);
    m_file = file;
    return true;
}

void logFile::close()
{
    // Refused on the append-only handle, which is right: another process may have appended
    // after our last record, and the file must not be cut back to our position.
    SetEndOfFile(m_file);
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

void logFile::writeBytes(const void* bytes, std::size_t count)
{
    if (!isOpen() || bytes == nullptr)
    {
        return;
    }
    const auto* next = static_cast<const char*>(bytes);
    while (count > 0)
    {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(count, 0x40000000));
        DWORD written = 0;
        if (WriteFile(m_file, next, chunk, &written, nullptr) == FALSE)
        {
            return;
        }
        next += chunk;
        count -= chunk;
    }
}

void logFile::writeText(const char* text)
{
    if (text != nullptr)
    {
        writeBytes(text, std::strlen(text));
    }
}

void logFile::writeText(const WCHAR* text)
{
    static_assert(std::endian::native == std::endian::little,
                  "wide records are UTF-16LE: a big-endian build must swap the bytes");
    writeBytes(text, wideText::length(text) * sizeof(WCHAR));
}

void logFile::writeNarrowed(const WCHAR* text)
{
    for (std::size_t i = 0; text != nullptr && text[i] != 0; ++i)
    {
        const auto byte = static_cast<unsigned char>(text[i] & 0xFF);
        writeBytes(&byte, 1);
    }
}
