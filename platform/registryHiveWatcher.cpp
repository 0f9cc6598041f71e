#include "platform/registryHiveWatcher.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace registryStore
{
namespace
{

// IN_ATTRIB: a logged commit touched the -wal file; the others: the hive or a folder on the way
// appeared, went or was replaced.
constexpr std::uint32_t events =
    IN_ATTRIB | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF;

std::string folderOf(const std::string& path)
{
    return std::filesystem::path(path).parent_path().string();
}

} // namespace

bool registryHiveWatcher::start(callback changed)
{
    m_changed = std::move(changed);
    m_fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_fd < 0)
    {
        return false;
    }
    try
    {
        std::thread(&registryHiveWatcher::run, this).detach();
    }
    catch (const std::system_error&)
    {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

void registryHiveWatcher::abandon()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
    }
    m_fd = -1;
    m_watches.clear();
}

void registryHiveWatcher::watch(const std::string& hivePath)
{
    const std::lock_guard<std::mutex> guard(m_lock);
    arm(hivePath);
}

void registryHiveWatcher::arm(const std::string& hivePath)
{
    if (m_fd < 0)
    {
        return;
    }
    // The hive's folder, else the nearest one above it that exists.
    std::string folder = folderOf(hivePath);
    for (bool above = false; !folder.empty(); above = true)
    {
        const int wd = inotify_add_watch(m_fd, folder.c_str(), events);
        if (wd >= 0)
        {
            folderWatch& w = m_watches[wd];
            w.folder = folder;
            w.hives[hivePath] = above;
            return;
        }
        const std::string parent = folderOf(folder);
        if ((errno != ENOENT && errno != ENOTDIR) || parent == folder)
        {
            return;
        }
        folder = parent;
    }
}

void registryHiveWatcher::disarm(const std::string& hivePath)
{
    for (auto it = m_watches.begin(); it != m_watches.end();)
    {
        it->second.hives.erase(hivePath);
        if (it->second.hives.empty())
        {
            inotify_rm_watch(m_fd, it->first);
            it = m_watches.erase(it);
        }
        else
        {
            ++it;
        }
    }
}

void registryHiveWatcher::dispatch(const char* buffer, long length)
{
    std::set<std::string> changed;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        std::set<std::string> rearm;
        for (long at = 0; at < length;)
        {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<long>(sizeof(inotify_event) + event->len);
            const auto found = m_watches.find(event->wd);
            if (found == m_watches.end())
            {
                continue;
            }
            const std::string name = event->len > 0 ? event->name : "";
            for (const auto& [hive, above] : found->second.hives)
            {
                const std::string base = std::filesystem::path(hive).filename().string();
                const bool gone = (event->mask & (IN_DELETE_SELF | IN_IGNORED)) != 0;
                if (above || gone)
                {
                    rearm.insert(hive); // a folder on the way appeared, or the folder went
                    changed.insert(hive);
                }
                else if (name == base || name == base + "-wal")
                {
                    changed.insert(hive);
                }
            }
        }
        for (const std::string& hive : rearm)
        {
            disarm(hive);
            arm(hive);
        }
    }
    for (const std::string& hive : changed)
    {
        m_changed(hive);
    }
}

void registryHiveWatcher::run()
{
    alignas(inotify_event) char buffer[16384];
    for (;;)
    {
        pollfd waiting{m_fd, POLLIN, 0};
        if (poll(&waiting, 1, -1) < 0 && errno != EINTR)
        {
            return;
        }
        const long length = read(m_fd, buffer, sizeof buffer);
        if (length > 0)
        {
            dispatch(buffer, length);
        }
    }
}

} // namespace registryStore
