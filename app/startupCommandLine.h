#pragma once

// The program's command line, answered before any window exists so that it works without a
// display:
//   -h, --help      usage, where the two settings locations and the data folder are as
//                   resolved now (one line each); standard output, status 0
//   -v, --version   "reZevavEvadurov <version>"; standard output, status 0
//   Qt's options    (app/qtStandardOptions.h) left in argv for QApplication to take
//   anything else   the usage on standard error, status 2; so is a Qt option without its value
// Otherwise the dialog runs, unless neither the environment nor -platform names a display,
// which is said in one line on standard error with status 1.
// Reads the environment and may create the roaming application-data folder (as the dialog
// does); main thread, before the QApplication exists.

#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

class startupCommandLine
{
public:
    static constexpr int runDialog = -1;
    static constexpr int usageError = 2;
    static constexpr int noDisplay = 1;

    // `args` is argv as main gets it, program name first. Writes what the options ask for and
    // returns the exit status, or runDialog when the dialog is to run.
    static int handle(std::span<char* const> args, std::ostream& out, std::ostream& err);

    static std::string helpText();
    static std::string versionText();

    // True when the environment names a display or a Qt platform to use instead of one.
    static bool displayNamed();
};

struct heldMessage;

// While it lives, a fatal message from Qt (the platform plugin could not reach the display
// named by the environment, or is not installed: the line then names the package for Wayland)
// ends the process with one line on standard error and status 1,
// instead of an abort; Qt's other messages are held back and passed on when it ends. Construct
// it around the QApplication's construction only; one at a time.
class displayFailureGuard
{
public:
    displayFailureGuard();
    ~displayFailureGuard();
    displayFailureGuard(const displayFailureGuard&) = delete;
    displayFailureGuard& operator=(const displayFailureGuard&) = delete;

private:
    std::unique_ptr<std::vector<heldMessage>> m_held;
};
