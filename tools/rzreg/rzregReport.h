#pragma once

// What the commands of rzreg say, in the wording of the Windows `reg` command.

#include "tools/rzreg/rzreg.h"
#include <reZevavEvadurov/winTypes.h>

#include <string>
#include <string_view>

namespace rzregReport
{

constexpr int success = 0;
constexpr int failure = 1;

// "The operation completed successfully." on standard output; returns success.
int done(rzregConsole& console);
// The same line on standard error, where Windows 10's `reg import` writes it.
int importDone(rzregConsole& console);
// The system's text for `status`, without its line end.
std::string statusText(LSTATUS status);
// "ERROR: <text of status>" (the not-found wording for a missing key or value); returns failure.
int failed(rzregConsole& console, LSTATUS status);
// "ERROR: <message>" as given; returns failure.
int failedWith(rzregConsole& console, std::string_view message);
// "ERROR: Invalid syntax." or "ERROR: Invalid key name." with the usage hint for `operation`
// ("QUERY", or empty for the program); returns failure.
int invalidSyntax(rzregConsole& console, const std::string& operation);
int invalidKeyName(rzregConsole& console, const std::string& operation);
// Asks `question` with "(Yes/No)?" until the answer is yes or no; the end of input is no.
bool confirm(rzregConsole& console, const std::u16string& question);
// "The operation was canceled by the user."; returns failure.
int canceled(rzregConsole& console);

void print(rzregConsole& console, const std::u16string& text);

} // namespace rzregReport

// The usage text of one operation ("QUERY", ...), or of the program for an empty name.
std::string rzregUsage(const std::string& operation);
// "rzreg <version>" and a line end.
std::string rzregVersion();
