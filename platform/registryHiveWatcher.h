#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// One thread per process that watches hive files through inotify and says which hive may have
// changed: its -wal file's times were touched (a logged commit, registryChangeLog.h), or the
// hive file appeared, was replaced, moved or removed. A watch is on the hive's folder, since
// SQLite makes and removes the -wal file; while the folder does not exist, the nearest folder
// above it that does is watched until it appears.
//
// Thread-safety: watch may be called from any thread. `changed` runs on the
// watcher's thread, with no lock of this class held. The object must outlive the thread,
// which runs until the process ends.

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace registryStore
{

class registryHiveWatcher
{
public:
    using callback = std::function<void(const std::string& hivePath)>;

    // False when inotify or the thread cannot be had: watchers then hear only this process's
    // own changes.
    bool start(callback changed);
    void watch(const std::string& hivePath);
    // In a child after fork: the thread is gone; close the descriptor, forget everything.
    void abandon();

private:
    struct folderWatch
    {
        std::string folder;
        // Hives that live in it, or below it (true) until their own folder exists.
        std::map<std::string, bool> hives;
    };

    void run();
    void arm(const std::string& hivePath); // with m_lock held
    void disarm(const std::string& hivePath);
    void dispatch(const char* buffer, long length);

    std::mutex m_lock;
    int m_fd = -1;
    callback m_changed;
    std::map<int, folderWatch> m_watches; // by watch descriptor
};

} // namespace registryStore

#pragma GCC visibility pop
