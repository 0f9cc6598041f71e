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
    void watch(const std::shared_ptr<registryTransaction>& transaction)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_due.emplace(transaction->deadline(), transaction);
        if (m_owner != getpid())
        {
            try
            {
                std::thread([this] { run(); }).detach();
                m_owner = getpid();
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
    pid_t m_owner = 0; // the process the thread runs in
};

// Never destroyed: the thread may still wait on it while the process exits.
timerThread& timer()
{
    static timerThread& instance = *new timerThread;
    return instance;
}

} // namespace

void registryTransactionTimer::watch(const std::shared_ptr<registryTransaction>& transaction)
{
    if (transaction != nullptr)
    {
        timer().watch(transaction);
    }
}

} // namespace registryStore
