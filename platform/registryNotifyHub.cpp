#include "platform/registryNotifyHub.h"

#include "platform/eventSignal.h"
#include "platform/registryChangeLog.h"

#include <algorithm>
#include <charconv>
#include <pthread.h>
#include <string_view>

namespace registryStore
{
namespace
{

// Never destroyed: the watcher thread may still use it while the process exits. A child
// after fork gets a fresh one; the parent's stays behind, untouched (its lock may be held).
std::unique_ptr<registryNotifyHub>& current()
{
    static std::unique_ptr<registryNotifyHub>* const hub =
        std::make_unique<std::unique_ptr<registryNotifyHub>>().release();
    return *hub;
}

// Whether "/1/2/7/" names `key`.
bool hasAncestor(std::string_view ancestors, keyId key)
{
    for (std::size_t at = 0; at < ancestors.size();)
    {
        std::size_t end = ancestors.find('/', at);
        end = end == std::string_view::npos ? ancestors.size() : end;
        keyId id = 0;
        const auto [last, error] =
            std::from_chars(ancestors.data() + at, ancestors.data() + end, id);
        if (error == std::errc() && last == ancestors.data() + end && end > at && id == key)
        {
            return true;
        }
        at = end + 1;
    }
    return false;
}

bool matches(const changeRegistration& r, const changeRow& row)
{
    if (row.key == r.key)
    {
        return row.kind == registryChangeLog::keyDeleted || (row.kind & r.filter) != 0;
    }
    return r.subtree && (row.kind & r.filter) != 0 && hasAncestor(row.ancestors, r.key);
}

void tell(const changeRegistration& r)
{
    eventObjects::signal(*r.event);
}

} // namespace

registryNotifyHub& registryNotifyHub::instance()
{
    static const bool once = []
    {
        current() = std::make_unique<registryNotifyHub>(token{});
        // Held across fork, so the watcher thread is not inside SQLite when the child starts.
        pthread_atfork([] { current()->m_lock.lock(); }, [] { current()->m_lock.unlock(); },
                       &registryNotifyHub::forked);
        return true;
    }();
    static_cast<void>(once);
    return *current();
}

void registryNotifyHub::forked()
{
    // The only thread now is the one that forked; the parent's state may be half changed.
    std::unique_ptr<registryNotifyHub> inherited = std::move(current());
    inherited->m_lock.unlock();
    inherited->m_watcher.abandon();
    for (auto& [path, hive] : inherited->m_hives)
    {
        hive.reader->abandon();
    }
    current() = std::make_unique<registryNotifyHub>(token{});
    current()->m_inherited = std::move(inherited); // kept, never used: hubs are not destroyed
}

void registryNotifyHub::add(changeRegistration registration)
{
    const std::lock_guard<std::mutex> guard(m_lock);
    if (!m_watcherStarted)
    {
        m_watcherStarted = true;
        m_watcher.start([](const std::string& hive) { committed(hive); });
    }
    // What came before this registration is not its news: the others hear it first.
    deliver(registration.hivePath);
    auto it = m_hives.find(registration.hivePath);
    if (it == m_hives.end())
    {
        it = m_hives.try_emplace(registration.hivePath).first;
        it->second.reader = std::make_unique<registryChangeReader>(registration.hivePath);
        it->second.reader->start();
        m_watcher.watch(registration.hivePath);
    }
    it->second.registrations.push_back(std::move(registration));
    ++m_count;
}

void registryNotifyHub::committed(const std::string& hivePath)
{
    registryNotifyHub& hub = instance();
    if (hub.m_count.load(std::memory_order_relaxed) == 0)
    {
        return; // nobody in this process listens: the cost of a write stays as it was
    }
    const std::lock_guard<std::mutex> guard(hub.m_lock);
    hub.deliver(hivePath);
}

void registryNotifyHub::deliver(const std::string& hivePath)
{
    const auto hive = m_hives.find(hivePath);
    if (hive == m_hives.end())
    {
        return;
    }
    std::vector<changeRow> rows;
    bool lost = false;
    hive->second.reader->poll(rows, lost);
    auto& registrations = hive->second.registrations;
    const auto told = std::remove_if(registrations.begin(), registrations.end(),
                                     [&](const changeRegistration& r)
                                     {
                                         const bool now =
                                             lost || std::any_of(rows.begin(), rows.end(),
                                                                 [&](const changeRow& row)
                                                                 { return matches(r, row); });
                                         if (now)
                                         {
                                             tell(r);
                                         }
                                         return now;
                                     });
    m_count -= static_cast<unsigned>(registrations.end() - told);
    registrations.erase(told, registrations.end());
}

void registryNotifyHub::handleClosed(HKEY handle)
{
    if (m_count.load(std::memory_order_relaxed) == 0)
    {
        return;
    }
    const std::lock_guard<std::mutex> guard(m_lock);
    for (auto& [path, hive] : m_hives)
    {
        auto& registrations = hive.registrations;
        const auto closed =
            std::partition(registrations.begin(), registrations.end(),
                           [handle](const changeRegistration& r) { return r.handle != handle; });
        std::for_each(closed, registrations.end(), tell);
        m_count -= static_cast<unsigned>(registrations.end() - closed);
        registrations.erase(closed, registrations.end());
    }
}

} // namespace registryStore
