#include "platform/wholeFile.h"

#include "platform/wholeFileTemporaries.h"
#include "platform/wideText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace wholeFile
{
namespace
{

class fileDescriptor
{
public:
    explicit fileDescriptor(int fd = -1) : m_fd(fd) {}
    ~fileDescriptor()
    {
        if (m_fd >= 0)
        {
            ::close(m_fd);
        }
    }
    fileDescriptor(const fileDescriptor&) = delete;
    fileDescriptor& operator=(const fileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

    // close() reports the last deferred write error on some file systems, so it is checked.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Removes the temporary file unless the rename has taken it over.
class temporaryFile
{
public:
    explicit temporaryFile(std::string path) : m_path(std::move(path)) {}
    ~temporaryFile()
    {
        if (!m_path.empty())
        {
            ::unlink(m_path.c_str());
        }
    }
    temporaryFile(const temporaryFile&) = delete;
    temporaryFile& operator=(const temporaryFile&) = delete;

    const std::string& path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    std::string m_path;
};

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
    {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool folderExists(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(folderOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

DWORD errorFromErrno(int error, const std::string& path, DWORD fallback)
{
    switch (error)
    {
    case ENOENT:
        return folderExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return fallback;
    }
}

// Replacing a link must replace what it points to, as writing through it would.
std::string resolveTarget(const std::string& path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
    {
        return path;
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
    {
        return path;
    }
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// A file without write permission for its owner is read-only, as the read-only attribute
// makes a file on Windows, whoever asks (root included); a file the caller may not write is
// refused too.
bool mayReplace(const std::string& target, const struct stat& old)
{
    return (old.st_mode & S_IWUSR) != 0 &&
           ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

int createTemporary(const std::string& target, std::string& tempPath)
{
    std::random_device random;
    for (int attempt = 0; attempt < 32; ++attempt)
    {
        tempPath = temporaryName(target, random());
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
        {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const BYTE* data, std::size_t size)
{
    while (size > 0)
    {
        const std::size_t chunk = size < SSIZE_MAX ? size : SSIZE_MAX;
        const ssize_t written = ::write(fd, data, chunk);
        if (written < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return false;
        }
        if (written == 0)
        {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Best effort: the new file is already in place. Some file systems cannot flush a folder,
// and a folder the caller may write but not read (mode 0300) cannot be opened for it; the
// rename is then as durable as the system makes it on its own.
void syncFolder(const std::string& folder)
{
    const fileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
    {
        ::fsync(dir.get());
    }
}

} // namespace

DWORD readWholeFile(const WCHAR* path, const bufferSource& source, std::size_t& size)
{
    size = 0;
    if (path == nullptr || *path == 0)
    {
        return ERROR_PATH_NOT_FOUND;
    }
    const std::string name = wideText::toUtf8(path);
    // Non-blocking, so that a FIFO without a writer is refused below instead of hanging here.
    fileDescriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen())
    {
        return errorFromErrno(errno, name, ERROR_ACCESS_DENIED);
    }
    struct stat st
    {
    };
    if (::fstat(file.get(), &st) != 0)
    {
        return ERROR_READ_FAULT;
    }
    if (!S_ISREG(st.st_mode))
    {
        return ERROR_ACCESS_DENIED;
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    if (fileSize > maxSize)
    {
        return ERROR_FILE_TOO_LARGE;
    }
    if (fileSize == 0)
    {
        return ERROR_SUCCESS;
    }
    const auto wanted = static_cast<std::size_t>(fileSize);
    auto* const buffer = static_cast<BYTE*>(source(wanted));
    if (buffer == nullptr)
    {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    std::size_t done = 0;
    while (done < wanted)
    {
        const ssize_t got = ::read(file.get(), buffer + done, wanted - done);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got <= 0)
        {
            return ERROR_READ_FAULT;
        }
        done += static_cast<std::size_t>(got);
    }
    size = done;
    return ERROR_SUCCESS;
}

DWORD replaceFile(const WCHAR* path, const void* data, std::size_t size)
{
    if (path == nullptr || *path == 0 || (data == nullptr && size > 0))
    {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string target = resolveTarget(wideText::toUtf8(path));

    // Refused before anything is created: renaming over a file would otherwise replace one
    // that opening it for writing would not be allowed to touch.
    struct stat old
    {
    };
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && (S_ISDIR(old.st_mode) || !mayReplace(target, old)))
    {
        return ERROR_ACCESS_DENIED;
    }

    removeAbandonedTemporaries(target);
    std::string tempPath;
    fileDescriptor file(createTemporary(target, tempPath));
    if (!file.isOpen())
    {
        return errorFromErrno(errno, target, ERROR_WRITE_FAULT);
    }
    temporaryFile temp(tempPath);

    if (replacing && ::fchmod(file.get(), old.st_mode & 07777) != 0)
    {
        return errorFromErrno(errno, target, ERROR_WRITE_FAULT);
    }

    if (!writeAll(file.get(), static_cast<const BYTE*>(data), size) || ::fsync(file.get()) != 0 ||
        !file.close())
    {
        return errorFromErrno(errno, target, ERROR_WRITE_FAULT);
    }
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
    {
        return errorFromErrno(errno, target, ERROR_WRITE_FAULT);
    }
    temp.release();
    syncFolder(folderOf(target));
    return ERROR_SUCCESS;
}

} // namespace wholeFile
