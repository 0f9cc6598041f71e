#include "support/productDataDirectory.h"

#include "platform/fileSystem.h"
#include "platform/shellFolder.h"
#include "platform/wideText.h"
#include "support/productDataDirectoryForTests.h"
#include <reZevavEvadurov/lastError.h>

namespace
{

constexpr WCHAR separator[] = u"/";
constexpr WCHAR makerFolder[] = u"Corvane";
constexpr WCHAR prefixJoiner[] = u" ";

// The buffers the operations hand out; they live as long as the process.
WCHAR g_directoryPath[productDataPathCapacity];
WCHAR g_filePath[productDataPathCapacity];
WCHAR g_logFilePath[productDataPathCapacity];
WCHAR g_uiLogFilePath[productDataPathCapacity];

enum class folderSeparator
{
    always,
    unlessPresent
};

// Fills `buffer` with the product folder's path and creates the folders on the way. False,
// with the buffer empty, when the lookup fails or the path does not fit.
bool composeProductFolder(WCHAR* buffer, const WCHAR* prefix, const WCHAR* productFolder,
                          folderSeparator afterMaker)
{
    buffer[0] = 0;
    getShellFolderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (buffer[0] == 0)
    {
        return false;
    }
    constexpr std::size_t capacity = productDataPathCapacity;
    bool fits = wideText::append(buffer, capacity, separator) &&
                wideText::append(buffer, capacity, makerFolder);
    if (fits)
    {
        CreateDirectoryW(buffer, nullptr);
        fits = afterMaker == folderSeparator::always ? wideText::append(buffer, capacity, separator)
                                                     : ensureTrailingBackslash(buffer, capacity);
    }
    if (fits && prefix != nullptr && prefix[0] != 0)
    {
        fits = wideText::append(buffer, capacity, prefix) &&
               wideText::append(buffer, capacity, prefixJoiner);
    }
    if (fits && productFolder != nullptr)
    {
        fits = wideText::append(buffer, capacity, productFolder);
    }
    if (!fits)
    {
        buffer[0] = 0;
        return false;
    }
    CreateDirectoryW(buffer, nullptr);
    return true;
}

const WCHAR* cachedFilePath(WCHAR* cache, const WCHAR* prefix, const WCHAR* productFolder,
                            const WCHAR* fileName)
{
    if (cache[0] == 0)
    {
        // The composed path has at most 260 characters, so the copy always fits.
        wideText::copy(cache, productDataPathCapacity,
                       getProductDataFilePath(prefix, productFolder, fileName));
    }
    return cache;
}

} // namespace

HRESULT getShellFolderPath(HWND window, int folder, HANDLE token, DWORD flags, LPWSTR path)
{
    const lastErrorPreserver keepLastError;
    // The shell functions are part of the platform layer here, so there is no module to load or
    // unload; the entry point is still looked up by name on every call.
    const PFNSHGETFOLDERPATHW entry = findShell32FolderPathEntry("SHGetFolderPathW");
    if (entry == nullptr)
    {
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    return entry(window, folder, token, flags, path);
}

const WCHAR* getProductDataDirectory(const WCHAR* prefix, const WCHAR* productFolder)
{
    const lastErrorPreserver keepLastError;
    composeProductFolder(g_directoryPath, prefix, productFolder, folderSeparator::always);
    return g_directoryPath;
}

const WCHAR* getProductDataFilePath(const WCHAR* prefix, const WCHAR* productFolder,
                                    const WCHAR* fileName)
{
    const lastErrorPreserver keepLastError;
    if (!composeProductFolder(g_filePath, prefix, productFolder, folderSeparator::unlessPresent))
    {
        return g_filePath;
    }
    const bool fits =
        ensureTrailingBackslash(g_filePath, productDataPathCapacity) &&
        (fileName == nullptr || wideText::append(g_filePath, productDataPathCapacity, fileName));
    if (!fits)
    {
        g_filePath[0] = 0;
    }
    return g_filePath;
}

const WCHAR* getLogFilePath(const WCHAR* prefix, const WCHAR* productFolder, const WCHAR* fileName)
{
    const lastErrorPreserver keepLastError;
    return cachedFilePath(g_logFilePath, prefix, productFolder, fileName);
}

const WCHAR* getUILogFilePath(const WCHAR* prefix, const WCHAR* productFolder,
                              const WCHAR* fileName)
{
    const lastErrorPreserver keepLastError;
    return cachedFilePath(g_uiLogFilePath, prefix, productFolder, fileName);
}

bool ensureTrailingBackslash(WCHAR* path, std::size_t capacity)
{
    if (path == nullptr)
    {
        return false;
    }
    std::size_t length = 0;
    while (length < capacity && path[length] != 0)
    {
        ++length;
    }
    if (length == 0 || length == capacity)
    {
        return false; // empty, or not terminated within its capacity
    }
    if (path[length - 1] == separator[0])
    {
        return true;
    }
    return wideText::append(path, capacity, separator);
}

void resetProductDataPathsForTests()
{
    g_directoryPath[0] = 0;
    g_filePath[0] = 0;
    g_logFilePath[0] = 0;
    g_uiLogFilePath[0] = 0;
}
