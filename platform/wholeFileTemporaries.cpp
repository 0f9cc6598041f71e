#include "platform/wholeFileTemporaries.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace wholeFile
{
namespace
{

constexpr std::string_view marker = ".~";
// An earlier version appended a random 32-bit number, at most 10 digits, straight to the id.
constexpr std::size_t legacyNumberDigits = 10;

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A process id as written in a name: no sign, no leading zero, within pid_t. 0 otherwise.
pid_t pidFrom(std::string_view digits)
{
    if (!allDigits(digits) || digits.front() == '0' || digits.size() > 10)
    {
        return 0;
    }
    long long value = 0;
    for (const char c : digits)
    {
        value = value * 10 + (c - '0');
    }
    return value <= INT_MAX ? static_cast<pid_t>(value) : 0;
}

// The ids that may have written a temporary file with this suffix (what follows ".~"); empty
// when the suffix is not one of ours.
std::vector<pid_t> possibleWriters(std::string_view suffix)
{
    std::vector<pid_t> writers;
    const std::size_t dash = suffix.find('-');
    if (dash != std::string_view::npos)
    {
        const pid_t pid = pidFrom(suffix.substr(0, dash));
        if (pid > 0 && allDigits(suffix.substr(dash + 1)))
        {
            writers.push_back(pid);
        }
        return writers;
    }
    if (!allDigits(suffix) || suffix.size() < 2)
    {
        return writers;
    }
    // The boundary between id and number is unknown: every split is a possible writer.
    const std::size_t shortest =
        suffix.size() > legacyNumberDigits ? suffix.size() - legacyNumberDigits : 1;
    for (std::size_t length = shortest; length < suffix.size(); ++length)
    {
        if (const pid_t pid = pidFrom(suffix.substr(0, length)); pid > 0)
        {
            writers.push_back(pid);
        }
    }
    return writers;
}

// EPERM: it exists and belongs to someone else.
bool processExists(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

struct directoryCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::string temporaryName(const std::string& target, unsigned long n)
{
    return target + std::string(marker) + std::to_string(::getpid()) + "-" + std::to_string(n);
}

void removeAbandonedTemporaries(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    const std::string prefix =
        (slash == std::string::npos ? target : target.substr(slash + 1)) + std::string(marker);

    const std::unique_ptr<DIR, directoryCloser> dir(::opendir(folder.c_str()));
    if (!dir)
    {
        return;
    }
    const int folderFd = ::dirfd(dir.get());
    while (const dirent* const item = ::readdir(dir.get()))
    {
        const std::string_view name(item->d_name);
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        {
            continue;
        }
        const std::vector<pid_t> writers = possibleWriters(name.substr(prefix.size()));
        bool abandoned = !writers.empty();
        for (const pid_t pid : writers)
        {
            abandoned = abandoned && !processExists(pid);
        }
        struct stat st
        {
        };
        if (abandoned && ::fstatat(folderFd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
        {
            ::unlinkat(folderFd, item->d_name, 0);
        }
    }
}

} // namespace wholeFile
