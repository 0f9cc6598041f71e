#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The change notifications registered in this process (RegNotifyChangeKeyValue), and the
// matching of committed changes against them.
//
// A registration names a hive, a key id, whether the tree below counts, the filter and the
// event to set; it is told once and then forgotten. Changes come from the hive's change log
// (registryChangeLog.h), read past the last row seen: right after a commit of this process,
// and on the watcher thread when another process committed (registryHiveWatcher.h). A
// registration is told when a row names its key or, with the tree, a key below it, for a kind
// its filter asks for; when its key is deleted; when its handle is closed; and when rows were
// lost or the hive file replaced (every registration of that hive).
//
// Thread-safety: every member may be called from any thread; one lock guards the state. A
// caller may hold the registry's lock (the hub never takes it). After fork the child starts
// with no registrations and no watcher thread. The hub's lock is held across fork; the
// registry's handle table makes the hub first, so its own fork handler, which takes the
// registry's lock, runs before the hub's (the reverse order of registration) and the two
// locks are taken in the order every call takes them.

#include "platform/kernelObject.h"
#include "platform/registryChangeReader.h"
#include "platform/registryHiveWatcher.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace registryStore
{

struct changeRegistration
{
    HKEY handle = nullptr;
    std::string hivePath;
    keyId key = 0;
    bool subtree = false;
    DWORD filter = 0;
    std::shared_ptr<kernelObject> event; // set once, when told
};

class registryNotifyHub
{
    struct token
    {
    };

public:
    explicit registryNotifyHub(token) {}
    static registryNotifyHub& instance();

    // Throws std::bad_alloc only.
    void add(changeRegistration registration);
    // Tells and forgets every registration made through `handle`.
    void handleClosed(HKEY handle);
    // A hive once watched stays watched (its reader's connection open) for the life of the
    // process, so a program that registers again after each change pays for that once.
    // A commit of this process wrote rows to the log of `hivePath`.
    static void committed(const std::string& hivePath);

    registryNotifyHub(const registryNotifyHub&) = delete;
    registryNotifyHub& operator=(const registryNotifyHub&) = delete;

private:
    static void forked();

    struct watchedHive
    {
        std::unique_ptr<registryChangeReader> reader;
        std::vector<changeRegistration> registrations;
    };

    void deliver(const std::string& hivePath); // with m_lock held

    std::mutex m_lock;
    std::map<std::string, watchedHive> m_hives;
    registryHiveWatcher m_watcher;
    bool m_watcherStarted = false;
    std::atomic<unsigned> m_count{0}; // registrations, read without the lock by committers
    std::unique_ptr<registryNotifyHub> m_inherited; // the parent's, in a child after fork
};

} // namespace registryStore

#pragma GCC visibility pop
