#include "platform/fileSystem.h"

#include "platform/wideText.h"
#include <reZevavEvadurov/lastError.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
    {
        path.remove_suffix(1);
    }
    return path;
}

std::string_view lastName(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Windows tells a missing file in an existing folder (2) from a missing folder on the way (3).
DWORD missingPathError(const std::string& path)
{
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const std::size_t slash = trimmed.rfind('/');
    std::string parent;
    if (slash == std::string_view::npos)
    {
        parent = ".";
    }
    else if (slash == 0)
    {
        parent = "/";
    }
    else
    {
        parent = std::string(trimmed.substr(0, slash));
    }
    struct stat st
    {
    };
    return (::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND
                                                                     : ERROR_PATH_NOT_FOUND;
}

DWORD errorFromErrno(int error, const std::string& path)
{
    switch (error)
    {
    case ENOENT:
    case ELOOP:
        return missingPathError(path);
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default: // EACCES, EPERM, EROFS, EISDIR, EBUSY and whatever else refuses the request
        return ERROR_ACCESS_DENIED;
    }
}

// Null and empty names fail before reaching the file system: "" would otherwise be ENOENT
// with the current directory as its folder, which Windows does not answer.
bool toNativePath(LPCWSTR path, std::string& native)
{
    if (path == nullptr || path[0] == 0)
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    native = wideText::toUtf8(path);
    return true;
}

} // namespace

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    std::string path;
    if (!toNativePath(fileName, path))
    {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
    {
        SetLastError(errorFromErrno(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }

    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
    {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode) ||
             S_ISSOCK(st.st_mode))
    {
        attributes |= FILE_ATTRIBUTE_DEVICE;
    }
    else if (S_ISREG(st.st_mode))
    {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    }
    if ((st.st_mode & S_IWUSR) == 0)
    {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    const std::string_view name = lastName(path);
    if (name.size() > 1 && name.front() == '.' && name != "..")
    {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    struct stat linkStat
    {
    };
    if (::lstat(path.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode))
    {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return attributes;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES)
{
    std::string path;
    if (!toNativePath(pathName, path))
    {
        return FALSE;
    }
    if (::mkdir(path.c_str(), 0777) != 0)
    {
        SetLastError(errorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR fileName)
{
    std::string path;
    if (!toNativePath(fileName, path))
    {
        return FALSE;
    }
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0)
    {
        SetLastError(errorFromErrno(errno, path));
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::unlink(path.c_str()) != 0)
    {
        SetLastError(errorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}
