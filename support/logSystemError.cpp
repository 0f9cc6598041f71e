#include "platform/errorText.h"
#include "platform/localMemory.h"
#include "support/boundedText.h"
#include "support/logFile.h"
#include "support/logFileState.h"
#include <reZevavEvadurov/lastError.h>

namespace
{

constexpr std::size_t reportCapacity = 3000;
constexpr DWORD neutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT); // 0x400
constexpr DWORD systemTextFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

// The system's text for a code, released with LocalFree.
template <class Char> class systemText
{
public:
    explicit systemText(DWORD errorCode)
    {
        if constexpr (sizeof(Char) == 1)
        {
            FormatMessageA(systemTextFlags, nullptr, errorCode, neutralLanguage,
                           reinterpret_cast<LPSTR>(&m_text), 0, nullptr);
        }
        else
        {
            FormatMessageW(systemTextFlags, nullptr, errorCode, neutralLanguage,
                           reinterpret_cast<LPWSTR>(&m_text), 0, nullptr);
        }
    }
    ~systemText() { LocalFree(m_text); }
    systemText(const systemText&) = delete;
    systemText& operator=(const systemText&) = delete;

    const Char* get() const { return m_text; } // null when the system has no text

private:
    Char* m_text = nullptr;
};

bool reportsWanted(DWORD errorCode)
{
    return errorCode != ERROR_SUCCESS &&
           logFileState::logSystemErrors.load(std::memory_order_relaxed) != 0;
}

template <class Char, class Detail>
void writeReport(const WCHAR* fileName, DWORD errorCode, const char* context, const Detail* detail)
{
    if (logFileState::loggingEnabled.load(std::memory_order_relaxed) == 0)
    {
        return;
    }
    const lastErrorPreserver preserveLastError;
    if (!reportsWanted(errorCode))
    {
        return;
    }
    supportText::boundedText<Char, reportCapacity> report;
    {
        const systemText<Char> text(errorCode);
        if (text.get() != nullptr)
        {
            report.append(text.get());
        }
        else
        {
            report.appendDecimal(errorCode);
        }
    }
    report.append(" : ").append(context);
    if (detail != nullptr)
    {
        report.append(" : ").append(detail);
    }
    logFile::writeToLogFile(fileName, report.c_str());
}

} // namespace

void writeSystemErrorToLogFile(const WCHAR* fileName, DWORD errorCode, const char* context,
                               const char* detail)
{
    writeReport<char>(fileName, errorCode, context, detail);
}

void writeSystemErrorToLogFile(const WCHAR* fileName, DWORD errorCode, const char* context,
                               const WCHAR* detail)
{
    writeReport<WCHAR>(fileName, errorCode, context, detail);
}
