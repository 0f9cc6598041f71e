#include "platform/shellFolder.h"

#include "platform/wideText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace
{

std::optional<std::string> absoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
    {
        return std::nullopt; // unset, empty or relative: the XDG rules say to ignore it
    }
    return std::string(value);
}

std::optional<std::string> appDataFolder()
{
    std::optional<std::string> folder = absoluteVariable("XDG_DATA_HOME");
    if (!folder)
    {
        folder = absoluteVariable("HOME");
        if (!folder)
        {
            return std::nullopt;
        }
        *folder += "/.local/share";
    }
    while (folder->size() > 1 && folder->back() == '/')
    {
        folder->pop_back();
    }
    return folder;
}

bool isDirectory(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The XDG rules ask for 0700 on folders made for the user's data.
bool makeFolderWithParents(const std::string& path)
{
    if (isDirectory(path))
    {
        return true;
    }
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
        {
            return false;
        }
        if (slash == std::string::npos)
        {
            break;
        }
    }
    return isDirectory(path);
}

} // namespace

HRESULT SHGetFolderPathW(HWND, int folder, HANDLE token, DWORD flags, LPWSTR path)
{
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA || token != nullptr ||
        (flags != SHGFP_TYPE_CURRENT && flags != SHGFP_TYPE_DEFAULT) || path == nullptr)
    {
        return E_INVALIDARG;
    }
    const std::optional<std::string> native = appDataFolder();
    if (!native)
    {
        return E_FAIL;
    }
    const std::u16string wide = wideText::fromUtf8(*native);
    if (wide.size() >= MAX_PATH || !makeFolderWithParents(*native))
    {
        return E_FAIL;
    }
    std::memcpy(path, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return S_OK;
}

PFNSHGETFOLDERPATHW findShell32FolderPathEntry(LPCSTR entryName)
{
    if (entryName != nullptr && std::strcmp(entryName, "SHGetFolderPathW") == 0)
    {
        return &SHGetFolderPathW;
    }
    return nullptr;
}
