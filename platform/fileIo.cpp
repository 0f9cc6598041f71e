#include "platform/fileIo.h"

#include "platform/kernelObject.h"
#include "platform/wideText.h"
#include <reZevavEvadurov/lastError.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Less the umask, whatever the security attributes say: see fileIo.h.
constexpr mode_t newFileMode = 0666;

struct fileAccess
{
    bool read;
    bool write;  // anywhere in the file
    bool append; // only at the end
};

class fileObject final : public kernelObject
{
public:
    fileObject(int fd, fileAccess access) : m_fd(fd), m_access(access) {}
    ~fileObject() override { ::close(m_fd); }

    int fd() const { return m_fd; }
    bool mayWrite() const { return m_access.write || m_access.append; }
    bool mayResize() const { return m_access.write; }

private:
    const int m_fd;
    const fileAccess m_access;
};

fileAccess accessFrom(DWORD desired)
{
    fileAccess access{};
    access.read = (desired & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
    access.write = (desired & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) != 0;
    access.append = !access.write && (desired & FILE_APPEND_DATA) != 0;
    return access;
}

int openFlagsFor(const fileAccess& access)
{
    const bool writes = access.write || access.append;
    int flags = O_CLOEXEC;
    flags |= access.read && writes ? O_RDWR : (writes ? O_WRONLY : O_RDONLY);
    if (access.append)
    {
        flags |= O_APPEND;
    }
    return flags;
}

bool folderOfExists(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : (slash == 0 ? "/" : path.substr(0, slash));
    struct stat info
    {
    };
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

DWORD openErrorFrom(int error, const std::string& path)
{
    switch (error)
    {
    case ENOENT:
        return folderOfExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default: // EACCES, EPERM, EROFS, EISDIR, ETXTBSY, ...
        return ERROR_ACCESS_DENIED;
    }
}

DWORD writeErrorFrom(int error)
{
    switch (error)
    {
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EBADF:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_WRITE_FAULT;
    }
}

int openRetrying(const std::string& path, int flags)
{
    int fd = -1;
    do
    {
        fd = ::open(path.c_str(), flags, newFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

struct openResult
{
    int fd = -1;
    bool created = false;
    int error = 0;
};

// OPEN_ALWAYS and CREATE_ALWAYS must tell whether the file was there, so they first try to
// make it exclusively and fall back to opening it; a file removed in between is retried.
openResult openByDisposition(const std::string& path, int flags, DWORD disposition)
{
    openResult result;
    const auto attempt = [&](int extra, bool creates)
    {
        result.fd = openRetrying(path, flags | extra);
        result.created = creates && result.fd >= 0;
        result.error = result.fd < 0 ? errno : 0;
        return result.fd >= 0;
    };
    switch (disposition)
    {
    case CREATE_NEW:
        attempt(O_CREAT | O_EXCL, true);
        break;
    case OPEN_EXISTING:
        attempt(0, false);
        break;
    case TRUNCATE_EXISTING:
        attempt(O_TRUNC, false);
        break;
    case OPEN_ALWAYS:
    case CREATE_ALWAYS:
        for (int tries = 0; tries < 3; ++tries)
        {
            if (attempt(O_CREAT | O_EXCL, true) || result.error != EEXIST)
            {
                break;
            }
            if (attempt(disposition == CREATE_ALWAYS ? O_TRUNC : 0, false) ||
                result.error != ENOENT)
            {
                break;
            }
        }
        break;
    default:
        break;
    }
    return result;
}

// The file behind a live handle, when `allowed` (if given) says its access permits the call;
// null with ERROR_INVALID_HANDLE or ERROR_ACCESS_DENIED as the last error otherwise.
std::shared_ptr<fileObject> lookupFile(HANDLE file, bool (fileObject::*allowed)() const = nullptr)
{
    auto object = kernelObjects::lookupAs<fileObject>(file);
    if (object != nullptr && allowed != nullptr && !((*object).*allowed)())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return object;
}

} // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD, HANDLE)
{
    if (fileName == nullptr || fileName[0] == 0)
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const fileAccess access = accessFrom(desiredAccess);
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING ||
        (creationDisposition == TRUNCATE_EXISTING && !access.write))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = wideText::toUtf8(fileName);
    const openResult opened = openByDisposition(path, openFlagsFor(access), creationDisposition);
    if (opened.fd < 0)
    {
        SetLastError(openErrorFrom(opened.error, path));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info
    {
    };
    if (::fstat(opened.fd, &info) != 0 || S_ISDIR(info.st_mode))
    {
        // Windows opens no folder without backup semantics; POSIX lets O_RDONLY through.
        ::close(opened.fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE const handle = kernelObjects::create<fileObject>(opened.fd, access);
    if (handle == nullptr)
    {
        ::close(opened.fd);
        return INVALID_HANDLE_VALUE;
    }
    if (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS)
    {
        SetLastError(opened.created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    }
    return handle;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (written != nullptr)
    {
        *written = 0;
    }
    if (overlapped != nullptr || (buffer == nullptr && count != 0))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto object = lookupFile(file, &fileObject::mayWrite);
    if (object == nullptr)
    {
        return FALSE;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < count)
    {
        const ssize_t n = ::write(object->fd(), bytes + done, count - done);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            if (written != nullptr)
            {
                *written = done;
            }
            SetLastError(n == 0 ? ERROR_WRITE_FAULT : writeErrorFrom(errno));
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written != nullptr)
    {
        *written = done;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod)
{
    const auto object = lookupFile(file);
    if (object == nullptr)
    {
        return INVALID_SET_FILE_POINTER;
    }
    static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (moveMethod > FILE_END)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    // With a high part the distance is one signed 64-bit number; without, a signed 32-bit one.
    const std::int64_t move =
        distanceHigh == nullptr
            ? static_cast<std::int64_t>(distance)
            : static_cast<std::int64_t>(
                  (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                  static_cast<std::uint32_t>(distance));
    const off_t start = moveMethod == FILE_BEGIN ? 0 : ::lseek(object->fd(), 0, whence[moveMethod]);
    if (start < 0 || (move < 0 && start + move < 0))
    {
        SetLastError(start < 0 ? ERROR_INVALID_PARAMETER : ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t target = start + move;
    if (distanceHigh == nullptr && target > 0xFFFFFFFFLL)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(object->fd(), static_cast<off_t>(target), SEEK_SET) < 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const auto low = static_cast<DWORD>(static_cast<std::uint64_t>(target) & 0xFFFFFFFFu);
    if (distanceHigh != nullptr)
    {
        *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    }
    if (low == INVALID_SET_FILE_POINTER)
    {
        SetLastError(ERROR_SUCCESS);
    }
    return low;
}

BOOL SetEndOfFile(HANDLE file)
{
    const auto object = lookupFile(file, &fileObject::mayResize);
    if (object == nullptr)
    {
        return FALSE;
    }
    const off_t position = ::lseek(object->fd(), 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(object->fd(), position) != 0)
    {
        SetLastError(writeErrorFrom(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    const auto object = lookupFile(file, &fileObject::mayWrite);
    if (object == nullptr)
    {
        return FALSE;
    }
    if (::fsync(object->fd()) != 0)
    {
        SetLastError(writeErrorFrom(errno));
        return FALSE;
    }
    return TRUE;
}
