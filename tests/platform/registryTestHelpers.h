#pragma once

// Small helpers shared by the registry tests.

#include <reZevavEvadurov/registry.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace registryTest
{

// Runs `body` in a forked child and returns its exit code, or 128 + the signal that ended it.
// The child leaves through _exit, so it never runs the parent's test machinery.
inline int runInChild(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
    {
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

inline LSTATUS setDword(HKEY key, const WCHAR* name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

inline LSTATUS queryDword(HKEY key, const WCHAR* name, DWORD& value)
{
    DWORD size = sizeof value;
    DWORD type = 0;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
}

// Every file below `folder`, as paths relative to it.
inline std::vector<std::string> filesBelow(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    {
        names.push_back(std::filesystem::relative(it->path(), folder).string());
    }
    return names;
}

inline std::filesystem::path userHive(const std::filesystem::path& configHome)
{
    return configHome / "reZevavEvadurov" / "HKEY_CURRENT_USER.hive";
}

inline std::filesystem::path usersHive(const std::filesystem::path& configDir)
{
    return configDir / "reZevavEvadurov" / "HKEY_USERS.hive";
}

// The first column of the first row that `sql` answers on the database at `path` (a file name,
// or a URI when `flags` holds SQLITE_OPEN_URI); empty when it cannot be opened or gives no row.
inline std::optional<std::string> firstAnswer(const std::string& path, int flags, const char* sql)
{
    sqlite3* db = nullptr;
    std::optional<std::string> answer;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) == SQLITE_OK)
    {
        sqlite3_exec(
            db, sql,
            [](void* out, int, char** row, char**)
            {
                auto& first = *static_cast<std::optional<std::string>*>(out);
                if (!first)
                {
                    first = row[0] != nullptr ? row[0] : "";
                }
                return 0;
            },
            &answer, nullptr);
    }
    sqlite3_close(db);
    return answer;
}

// "ok" for a whole database. SQLITE_OPEN_READWRITE in `flags` lets SQLite first recover what a
// killed writer left in the journal; read-only leaves every file as it is.
inline std::string integrityOf(const std::filesystem::path& path, int flags)
{
    return firstAnswer(path.string(), flags, "PRAGMA integrity_check").value_or("cannot open");
}

// While it lives, no file of this process may be written at or past `bytes`: such writes fail
// with EFBIG, as on a full disk (what SQLite answers as an I/O error).
class fileSizeCap
{
public:
    explicit fileSizeCap(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit cap = m_old;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~fileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    fileSizeCap(const fileSizeCap&) = delete;
    fileSizeCap& operator=(const fileSizeCap&) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int);
};

} // namespace registryTest
