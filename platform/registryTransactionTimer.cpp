#include "platform/registryTransactionTimer.h"

#include "platform/registryCall.h"
#include "platform/registryTransaction.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace registryStore
{
namespace
{

using clock = std::chrono::steady_clock;

class timerThread
{
public:
    pid_t owner() const { return m_owner; }

    void watch(const std::shared_ptr<registryTransaction>& transaction)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_due.emplace(transaction->deadline(), transaction);
        if (!m_started)
        {
            try
            {
                std::thread([this] { run(); }).detach();
                m_started = true;
            }
            catch (const std::system_error&)
            {
                // No thread: the time-out is still checked whenever the transaction is used.
            }
        }
        m_changed.notify_one();
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        for (;;)
        {
            if (m_due.empty())
            {
                m_changed.wait(guard);
                continue;
            }
            const auto first = m_due.begin();
            if (clock::now() < first->first)
            {
                m_changed.wait_until(guard, first->first);
                continue;
            }
            const std::shared_ptr<registryTransaction> due = first->second.lock();
            m_due.erase(first);
            guard.unlock(); // the registry's lock is never taken with this one held
            if (due != nullptr)
            {
                const registryCall call;
                due->expireIfDue();
            }
            guard.lock();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::multimap<clock::time_point, std::weak_ptr<registryTransaction>> m_due;
    const pid_t m_owner = getpid();
    bool m_started = false;
};

// Never destroyed: the thread may still wait on it while the process exits. A child of fork
// makes its own, leaving its parent's (whose lock the fork may have copied held) alone.
// Needs the registry's lock.
timerThread& timer()
{
    static timerThread* instance = nullptr;
    if (instance == nullptr || instance->owner() != getpid())
    {
        instance = new timerThread;
    }
    return *instance;
}

} // namespace

void registryTransactionTimer::watch(const std::shared_ptr<registryTransaction>& transaction)
{
    if (transaction != nullptr)
    {
        const registryCall call;
        timer().watch(transaction);
    }
}

} // namespace registryStore
