#include "tools/rzreg/rzregReport.h"

#include "platform/errorText.h"
#include "platform/wideText.h"

#include <istream>
#include <ostream>

namespace rzregReport
{

int done(rzregConsole& console)
{
    console.out << "The operation completed successfully.\n";
    return success;
}

int importDone(rzregConsole& console)
{
    console.err << "The operation completed successfully.\n";
    return success;
}

std::string statusText(LSTATUS status)
{
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(status), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
    {
        message.pop_back();
    }
    return message;
}

int failed(rzregConsole& console, LSTATUS status)
{
    const DWORD code = static_cast<DWORD>(status);
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
    {
        return failedWith(console,
                          "The system was unable to find the specified registry key or value.");
    }
    return failedWith(console, statusText(status));
}

int failedWith(rzregConsole& console, std::string_view message)
{
    console.err << "ERROR: " << message << '\n';
    return failure;
}

int invalidSyntax(rzregConsole& console, const std::string& operation)
{
    failedWith(console, "Invalid syntax.");
    console.err << "Type \"RZREG " << (operation.empty() ? "" : operation + " ")
                << "/?\" for usage.\n";
    return failure;
}

int invalidKeyName(rzregConsole& console, const std::string& operation)
{
    failedWith(console, "Invalid key name.");
    console.err << "Type \"RZREG " << operation << " /?\" for usage.\n";
    return failure;
}

bool confirm(rzregConsole& console, const std::u16string& question)
{
    for (;;)
    {
        print(console, question + u" (Yes/No)? ");
        console.out.flush();
        std::string answer;
        if (!std::getline(console.in, answer))
        {
            console.out << '\n';
            return false;
        }
        for (char& c : answer)
        {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' '))
        {
            answer.pop_back();
        }
        if (answer == "y" || answer == "yes")
        {
            return true;
        }
        if (answer == "n" || answer == "no")
        {
            return false;
        }
    }
}

int canceled(rzregConsole& console)
{
    console.out << "The operation was canceled by the user.\n";
    return failure;
}

void print(rzregConsole& console, const std::u16string& text)
{
    console.out << wideText::toUtf8(text);
}

} // namespace rzregReport
