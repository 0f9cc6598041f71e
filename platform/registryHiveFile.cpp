#include "platform/registryHiveFile.h"

#include "platform/registryDatabase.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace registryStore
{
namespace
{

constexpr const char* journalSuffixes[] = {"-wal", "-shm"};

DWORD errorFromErrno(int error)
{
    switch (error)
    {
    case 0:
        return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    default:
        return ERROR_CANTWRITE;
    }
}

std::string folderOf(const std::string& path)
{
    return std::filesystem::path(path).parent_path().string();
}

bool exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

void syncPath(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd >= 0)
    {
        fsync(fd);
        close(fd);
    }
}

// Renames without replacing whatever may already carry the new name.
int renameKeeping(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS)
    {
        return errno;
    }
    // The file system cannot refuse to replace; the folder lock keeps us from racing ourselves.
    if (exists(to))
    {
        return EEXIST;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string dateStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// A name for `path` plus `label` and the date that neither it nor its journals use yet.
std::string freeName(const std::string& path, const char* label)
{
    const std::string base = path + label + dateStamp();
    for (int n = 1;; ++n)
    {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        if (!exists(name) && !exists(name + "-wal") && !exists(name + "-shm"))
        {
            return name;
        }
    }
}

// Moves the journal files of `path` to those of `target`; a missing one is fine.
int moveJournals(const std::string& path, const std::string& target)
{
    for (const char* suffix : journalSuffixes)
    {
        const int error = renameKeeping(path + suffix, target + suffix);
        if (error != 0 && error != ENOENT)
        {
            return error;
        }
    }
    return 0;
}

class folderLock
{
public:
    explicit folderLock(const std::string& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        while (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0 && errno == EINTR)
        {
        }
        m_error = m_fd < 0 ? errno : 0;
    }
    ~folderLock()
    {
        if (m_fd >= 0)
        {
            close(m_fd); // releases the lock
        }
    }
    folderLock(const folderLock&) = delete;
    folderLock& operator=(const folderLock&) = delete;

    int error() const { return m_error; }
    void sync() const { fsync(m_fd); }

private:
    int m_fd;
    int m_error = 0;
};

constexpr const char* temporaryLabel = ".new-";

std::uint32_t bigEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
    {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// The SQLite header of one of our hives: the magic text, a valid page size, at least one whole
// page, and our application id. The id is written when the hive is made and never changes,
// so the file's own header is authoritative even while newer pages sit in the journal.
bool looksLikeHive(const std::array<unsigned char, 100>& header, off_t size)
{
    static constexpr char magic[] = "SQLite format 3";
    if (std::memcmp(header.data(), magic, sizeof magic) != 0)
    {
        return false;
    }
    std::uint32_t pageSize = bigEndian(&header[16], 2);
    pageSize = pageSize == 1 ? 65536 : pageSize;
    const bool validPage = pageSize >= 512 && pageSize <= 65536 && (pageSize & (pageSize - 1)) == 0;
    return validPage && size >= static_cast<off_t>(pageSize) &&
           bigEndian(&header[68], 4) == registryDatabase::applicationId;
}

void removeTemporary(const std::string& temporary)
{
    unlink(temporary.c_str());
    for (const char* suffix : journalSuffixes)
    {
        unlink((temporary + suffix).c_str());
    }
}

// Temporary hives left by creators that died before finishing. Only called under the folder
// lock, which every creator holds until its temporary file is gone, so none is in use.
void removeAbandonedTemporaries(const std::string& path)
{
    const std::filesystem::path hive(path);
    const std::string prefix = hive.filename().string() + temporaryLabel;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(hive.parent_path(), ec))
    {
        if (entry.path().filename().string().starts_with(prefix))
        {
            std::filesystem::remove(entry.path(), ec);
        }
    }
}

} // namespace

registryHiveFile::status registryHiveFile::identify(const std::string& path)
{
    status result;
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
    {
        result.what = (errno == ENOENT || errno == ENOTDIR) ? status::missing : status::unreadable;
        return result;
    }
    result.device = info.st_dev;
    result.inode = info.st_ino;
    result.what = S_ISREG(info.st_mode) ? status::regular : status::damaged;
    return result;
}

registryHiveFile::status registryHiveFile::inspect(const std::string& path)
{
    status result = identify(path);
    if (result.what != status::regular)
    {
        return result;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        result.what = status::unreadable;
        return result;
    }
    std::array<unsigned char, 100> header{};
    const ssize_t got = pread(fd, header.data(), header.size(), 0);
    struct stat info;
    const off_t size = fstat(fd, &info) == 0 ? info.st_size : 0;
    close(fd);
    if (got != static_cast<ssize_t>(header.size()) || !looksLikeHive(header, size))
    {
        result.what = status::damaged;
    }
    return result;
}

DWORD registryHiveFile::create(const std::string& path, const hiveLayout& layout,
                               linkFunction linkFile)
{
    const std::string folder = folderOf(path);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
    {
        return errorFromErrno(ec.value());
    }
    const folderLock lock(folder);
    if (lock.error() != 0)
    {
        return errorFromErrno(lock.error());
    }
    if (exists(path))
    {
        return ERROR_SUCCESS; // another process made it first
    }
    if (exists(path + "-wal") || exists(path + "-shm"))
    {
        const int error = moveJournals(path, freeName(path, ".orphaned-"));
        if (error != 0)
        {
            return errorFromErrno(error);
        }
    }
    removeAbandonedTemporaries(path);
    const std::string temporary = path + temporaryLabel + std::to_string(getpid());
    const int fd =
        ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, layout.fileMode);
    if (fd < 0)
    {
        return errorFromErrno(errno);
    }
    const int modeError = fchmod(fd, layout.fileMode) == 0 ? 0 : errno; // whatever the umask
    close(fd);
    DWORD result = modeError == 0 ? registryDatabase::initialise(temporary, layout)
                                  : errorFromErrno(modeError);
    if (result == ERROR_SUCCESS)
    {
        syncPath(temporary, O_RDONLY);
        int error = linkFile(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
        if (error != 0 && error != EEXIST)
        {
            // No hard links here: the whole file is renamed into place instead, which
            // shows no partial hive either and never replaces one made meanwhile.
            error = renameKeeping(temporary, path);
        }
        result = error == 0 || error == EEXIST ? ERROR_SUCCESS : errorFromErrno(error);
    }
    removeTemporary(temporary);
    lock.sync();
    return result;
}

DWORD registryHiveFile::moveAside(const std::string& path, const status& damaged)
{
    const folderLock lock(folderOf(path));
    if (lock.error() != 0)
    {
        return errorFromErrno(lock.error());
    }
    if (!identify(path).sameFile(damaged))
    {
        return ERROR_SUCCESS; // already replaced by another process
    }
    const std::string target = freeName(path, ".damaged-");
    // Journals first: a hive made later must never find the damaged file's journal.
    int error = moveJournals(path, target);
    if (error == 0)
    {
        error = renameKeeping(path, target);
    }
    if (error != 0)
    {
        return errorFromErrno(error);
    }
    lock.sync();
    std::fprintf(stderr,
                 "registry: the hive %s is damaged; it was moved to %s and an empty hive takes "
                 "its place\n",
                 path.c_str(), target.c_str());
    return ERROR_SUCCESS;
}

bool registryHiveFile::canCreate(const std::string& path)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    struct stat info;
    while (!folder.empty() && stat(folder.c_str(), &info) != 0)
    {
        if (errno != ENOENT || folder == folder.parent_path())
        {
            return false;
        }
        folder = folder.parent_path();
    }
    return !folder.empty() && faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace registryStore
