#include "support/stubSyncLock.h"

#include "platform/debugOutput.h"
#include "platform/threads.h"
#include "support/boundedText.h"

#include <atomic>
#include <cstdint>

namespace
{

using NTSTATUS = LONG;
using ntQueryInformationThreadEntry = NTSTATUS (*)(HANDLE thread, int informationClass,
                                                   void* information, ULONG length,
                                                   ULONG* returnedLength);
constexpr int ThreadIsTerminating = 12;
constexpr std::size_t traceCapacity = 1000;

// Written at most once and read without ordering, as plain switches; atomic only so that
// the reads on other threads are defined.
std::atomic<DWORD> lockTracing{0};
std::atomic<DWORD> terminatingThreadBypass{0};
std::atomic<ntQueryInformationThreadEntry> ntQueryInformationThread{nullptr};

// Windows finds the entry point in the already loaded "ntdll.dll". That module does not
// exist here, so the lookup finds nothing and the thread is never seen as terminating.
ntQueryInformationThreadEntry findNtQueryInformationThread()
{
    return nullptr;
}

void resolveNtQueryInformationThread()
{
    if (ntQueryInformationThread.load(std::memory_order_relaxed) == nullptr)
    {
        ntQueryInformationThread.store(findNtQueryInformationThread(), std::memory_order_relaxed);
    }
}

bool bypassApplies()
{
    return terminatingThreadBypass.load(std::memory_order_relaxed) != 0 &&
           isCurrentThreadTerminating() != FALSE;
}

} // namespace

stubSyncLock::stubSyncLock(stubSyncObject* object, BOOL lockNow, const WCHAR* label)
    : m_object(object), m_handle(object != nullptr ? object->getHandle() : nullptr), m_label(label)
{
    resolveNtQueryInformationThread();
    if (lockNow != FALSE && lock(INFINITE) == FALSE)
    {
        trace(": FAILED TO Lock a CS! ", false);
    }
}

stubSyncLock::~stubSyncLock()
{
    unlock();
}

BOOL stubSyncLock::lock(DWORD timeout)
{
    if (m_object == nullptr)
    {
        return m_locked;
    }
    if (bypassApplies())
    {
        m_locked = 1;
        return TRUE;
    }
    m_locked = m_object->lock(timeout);
    trace(": Locked    ", true);
    return m_locked;
}

template <class Step> BOOL stubSyncLock::letGo(Step step)
{
    if (bypassApplies() || step() != FALSE)
    {
        m_locked = 0;
    }
    return m_locked == 0 ? TRUE : FALSE;
}

BOOL stubSyncLock::unlock()
{
    if (m_locked == 0)
    {
        return TRUE;
    }
    const BOOL unlocked = letGo([this] { return m_object->unlock(); });
    trace(":  Unlocked ", true);
    return unlocked;
}

BOOL stubSyncLock::release(LONG count, LONG* previousCount)
{
    if (m_locked == 0)
    {
        return TRUE;
    }
    return letGo([this, count, previousCount] { return m_object->release(count, previousCount); });
}

void stubSyncLock::trace(const char* what, bool labelRequired) const
{
    if (lockTracing.load(std::memory_order_relaxed) == 0 || (labelRequired && m_label == nullptr))
    {
        return;
    }
    supportText::boundedText<WCHAR, traceCapacity> line;
    line.appendDecimal(GetCurrentThreadId()).append(what);
    if (m_label != nullptr)
    {
        line.append(m_label);
    }
    else
    {
        line.append("(null)");
    }
    line.append(" 0x")
        .appendHex(reinterpret_cast<std::uintptr_t>(m_handle), sizeof(void*) * 2, true)
        .append("\r\n");
    OutputDebugStringW(line.c_str());
}

void setLockTracing(BOOL on)
{
    lockTracing.store(on != FALSE ? 1 : 0, std::memory_order_relaxed);
}

BOOL isLockTracingEnabled()
{
    return lockTracing.load(std::memory_order_relaxed) != 0 ? TRUE : FALSE;
}

void enableTerminatingThreadBypass()
{
    terminatingThreadBypass.store(1, std::memory_order_relaxed);
}

BOOL isCurrentThreadTerminating()
{
    const ntQueryInformationThreadEntry query =
        ntQueryInformationThread.load(std::memory_order_relaxed);
    if (query == nullptr)
    {
        return FALSE;
    }
    ULONG terminating = 0xFFFFFFFFu;
    const NTSTATUS status =
        query(GetCurrentThread(), ThreadIsTerminating, &terminating, sizeof terminating, nullptr);
    return status == 0 && terminating != 0 ? TRUE : FALSE;
}
