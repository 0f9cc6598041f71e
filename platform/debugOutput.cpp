#include "platform/debugOutput.h"

#include "platform/wideText.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace
{
struct sinkState
{
    std::mutex lock;
    debugOutputSink sink;
};

// Never destroyed: static destructors may still trace at exit.
sinkState& state()
{
    static sinkState& instance = *new sinkState;
    return instance;
}

void toStandardError(std::string_view utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

void emit(std::string_view utf8)
{
    sinkState& s = state();
    const std::lock_guard<std::mutex> guard(s.lock);
    if (s.sink)
    {
        s.sink(utf8);
    }
    else
    {
        toStandardError(utf8);
    }
}

// Debugger output is called from destructors and error paths; it must never throw there.
template <class Make> void emitSafely(Make make) noexcept
{
    try
    {
        emit(make());
    }
    catch (...)
    {
    }
}
} // namespace

debugOutputSink setDebugOutputSink(debugOutputSink sink)
{
    sinkState& s = state();
    const std::lock_guard<std::mutex> guard(s.lock);
    debugOutputSink previous = std::move(s.sink);
    s.sink = std::move(sink);
    return previous;
}

void OutputDebugStringW(LPCWSTR text) noexcept
{
    if (text != nullptr)
    {
        emitSafely([text] { return wideText::toUtf8(text); });
    }
}

void OutputDebugStringA(LPCSTR text) noexcept
{
    if (text != nullptr)
    {
        emitSafely([text] { return std::string_view(text, std::strlen(text)); });
    }
}
