#include "support/logStopwatch.h"

#include "platform/performanceCounter.h"
#include "support/boundedText.h"
#include "support/logFile.h"
#include "support/logFileState.h"
#include <reZevavEvadurov/lastError.h>

#include <new>
#include <string>

namespace
{

LONGLONG counterNow()
{
    const lastErrorPreserver preserveLastError;
    LARGE_INTEGER now{};
    return QueryPerformanceCounter(&now) != FALSE ? now.QuadPart : 0;
}

} // namespace

logStopwatch::logStopwatch(const char* label, const char* secondLabel)
    : m_label(label), m_secondLabel(secondLabel), m_start(counterNow())
{
}

void logStopwatch::finish()
{
    const LONGLONG elapsed = counterNow() - m_start;
    const WCHAR* const timingFile = logFileState::timingLogFile.load(std::memory_order_relaxed);
    if (timingFile != nullptr && isLoggingEnabled() != 0)
    {
        try
        {
            // One record, so that another thread's record cannot land between its parts.
            std::string record;
            for (const char* label : {m_label, m_secondLabel})
            {
                if (label != nullptr)
                {
                    record.append(label).append(" ");
                }
            }
            supportText::boundedText<char, 24> count;
            count.append("0x").appendHex(static_cast<ULONGLONG>(elapsed), 16, false).append("\r\n");
            record.append(count.c_str());
            logFile::writeToLogFile(timingFile, record.c_str());
        }
        catch (const std::bad_alloc&)
        {
        }
    }
    m_label = nullptr;
    m_secondLabel = nullptr;
}
