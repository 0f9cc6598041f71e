#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Lets a registry call wait for another thread's transaction to end while releasing the
// registry's lock, so that thread can commit or roll back meanwhile.
//
// Every registry call registers the lock it holds (enter/leave); waitUntil may only be called
// inside a call, and returns with that lock held again. Not itself locked: the registry's
// lock guards it.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace registryStore
{

class registryWriterGate
{
public:
    // The process's one gate. Defined out of line so that it stays one also where inline
    // functions are not shared between the library and its users.
    static registryWriterGate& instance();

    void enter(std::unique_lock<std::mutex>& held) { m_held = &held; }
    void leave() { m_held = nullptr; }

    // Waits until `ready()` or the deadline; false when the deadline came first. Outside a
    // call (nothing to release) it only asks `ready()`.
    template <class P> bool waitUntil(std::chrono::steady_clock::time_point deadline, P ready)
    {
        std::unique_lock<std::mutex>* const mine = m_held;
        if (mine == nullptr)
        {
            return ready();
        }
        const bool done = m_changed.wait_until(*mine, deadline, ready);
        m_held = mine; // another call may have come and gone while the lock was free
        return done;
    }
    // A transaction ended: waiting writers look again.
    void notify() { m_changed.notify_all(); }

private:
    registryWriterGate() = default;

    std::condition_variable m_changed;
    std::unique_lock<std::mutex>* m_held = nullptr;
};

} // namespace registryStore

#pragma GCC visibility pop
