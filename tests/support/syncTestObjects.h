#pragma once

// Test doubles and helpers for the lock tests: a sync object that counts its calls and answers
// as told, and a capture of the debugger output with lock tracing switched on or off.

#include "platform/debugOutput.h"
#include "platform/threads.h"
#include "support/stubSyncLock.h"
#include "support/stubSyncObject.h"

#include <string>

class countingSyncObject : public stubSyncObject
{
public:
    BOOL lock(DWORD timeout) override
    {
        ++locks;
        lastTimeout = timeout;
        return lockResult;
    }
    BOOL lock() override { return lock(INFINITE); }
    BOOL release(LONG count, LONG* previousCount) override
    {
        ++releases;
        lastCount = count;
        lastPrevious = previousCount;
        return TRUE;
    }
    BOOL unlock() override
    {
        ++unlocks;
        return unlockResult;
    }

    BOOL lockResult = TRUE;
    BOOL unlockResult = TRUE;
    int locks = 0;
    int unlocks = 0;
    int releases = 0;
    DWORD lastTimeout = 0;
    LONG lastCount = 0;
    LONG* lastPrevious = nullptr;
};

// Captures the debugger output for the life of the object; lock tracing as given, restored
// to off at the end.
class debugOutputCapture
{
public:
    explicit debugOutputCapture(bool tracing)
        : m_previous(setDebugOutputSink([this](std::string_view text) { m_text += text; }))
    {
        setLockTracing(tracing ? TRUE : FALSE);
    }
    ~debugOutputCapture()
    {
        setLockTracing(FALSE);
        setDebugOutputSink(std::move(m_previous));
    }
    debugOutputCapture(const debugOutputCapture&) = delete;
    debugOutputCapture& operator=(const debugOutputCapture&) = delete;

    const std::string& text() const { return m_text; }
    void clear() { m_text.clear(); }

private:
    std::string m_text;
    debugOutputSink m_previous;
};

// The two trace lines a labelled guard on a handle-less object writes.
inline std::string lockedLine(const std::string& label,
                              const std::string& handle = "0000000000000000")
{
    return std::to_string(GetCurrentThreadId()) + ": Locked    " + label + " 0x" + handle + "\r\n";
}

inline std::string unlockedLine(const std::string& label,
                                const std::string& handle = "0000000000000000")
{
    return std::to_string(GetCurrentThreadId()) + ":  Unlocked " + label + " 0x" + handle + "\r\n";
}
