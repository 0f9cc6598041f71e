#include "app/startupCommandLine.h"

#include "app/qtStandardOptions.h"

#include "platform/registryHiveLocation.h"
#include "platform/shellFolder.h"
#include "platform/wideText.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string_view>
#include <vector>

#ifndef RZ_VERSION
#error "RZ_VERSION must name the program's version"
#endif

// Messages held back while the guard lives: on success they are passed on, on failure the
// first of them (say, which display could not be reached) is the one line shown.
struct heldMessage
{
    QtMsgType type;
    QString text;
};

namespace
{

constexpr std::string_view programName = "reZevavEvadurov";

std::string orMissing(const std::string& path, std::string_view needs)
{
    return path.empty() ? "(none: " + std::string(needs) + " is not set)" : path;
}

std::string dataFolder()
{
    WCHAR buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
    {
        return std::string();
    }
    return wideText::toUtf8(buffer) + "/Corvane/Tarnwick x64";
}

std::string usageLine()
{
    return "Usage: " + std::string(programName) + " [--help | --version] [Qt options]\n";
}

int refuse(std::ostream& err, std::string_view what, std::string_view arg)
{
    err << programName << ": " << what << " '" << arg << "'\n"
        << usageLine() << "Try '" << programName << " --help' for more.\n";
    return startupCommandLine::usageError;
}

// Qt names the platform plugin it could not find; the Wayland one is a package of its own. A
// plugin that was found but could not connect ("Could not load ... even though it was found")
// is installed already: no hint then.
std::string missingPluginHint(const std::vector<heldMessage>& held, const QString& fatal)
{
    const QString missingWayland = QStringLiteral("find the Qt platform plugin \"wayland");
    const bool missing = fatal.contains(missingWayland) ||
                         std::any_of(held.begin(), held.end(),
                                     [&](const heldMessage& message)
                                     { return message.text.contains(missingWayland); });
    return missing ? " (install the qt6-wayland package for a window in a Wayland session)" : "";
}

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

QtMessageHandler g_previousHandler = nullptr;
std::vector<heldMessage>* g_held = nullptr;

void pass(QtMsgType type, const QString& text)
{
    if (g_previousHandler != nullptr)
    {
        g_previousHandler(type, QMessageLogContext(), text);
    }
    else
    {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

void failOnFatal(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg)
    {
        g_held->push_back({type, message});
        return;
    }
    const QString reason = g_held->empty() ? message : g_held->front().text;
    std::fprintf(stderr, "%s: cannot open a window: %s%s\n", programName.data(),
                 reason.section(QLatin1Char('\n'), 0, 0).toLocal8Bit().constData(),
                 missingPluginHint(*g_held, message).c_str());
    std::fflush(stderr);
    std::_Exit(startupCommandLine::noDisplay);
}

} // namespace

std::string startupCommandLine::helpText()
{
    using registryStore::registryHiveLocation;
    return usageLine() +
           "Edits the diagnostic switches of the Tarnwick memory-analysis stub in one dialog.\n"
           "\n"
           "  -h, --help      show this help and exit\n"
           "  -v, --version   show the version and exit\n"
           "Qt's standard options are taken too: -platform, -style, -reverse,\n"
           "-qwindowgeometry, -display and the others (man reZevavEvadurov).\n"
           "\n"
           "Current user's settings:  " +
           orMissing(registryHiveLocation::path(HKEY_CURRENT_USER), "HOME") +
           ", key Software\\Corvane\\Tarnwickx64\n"
           "Default profile settings: " +
           registryHiveLocation::path(HKEY_USERS) +
           ", key .DEFAULT\\Software\\Corvane\\Tarnwickx64\n"
           "Data folder:              " +
           orMissing(dataFolder(), "HOME") +
           " (log files, default minidump directory)\n"
           "\n"
           "The default profile's settings are in the first $XDG_CONFIG_DIRS folder (default\n"
           "/etc/xdg) that holds them, or in the first folder when none does.\n";
}

std::string startupCommandLine::versionText()
{
    return std::string(programName) + " " RZ_VERSION "\n";
}

bool startupCommandLine::displayNamed()
{
    return isSet("QT_QPA_PLATFORM") || isSet("WAYLAND_DISPLAY") || isSet("DISPLAY");
}

int startupCommandLine::handle(std::span<char* const> args, std::ostream& out, std::ostream& err)
{
    bool help = false;
    bool version = false;
    bool platformChosen = false;
    for (std::size_t i = 1; i < args.size(); ++i)
    {
        const std::string_view arg = args[i] == nullptr ? std::string_view() : args[i];
        // Qt's own options stay in argv for QApplication to take out.
        const std::size_t qtOption = qtStandardOptions::length(args, i);
        if (qtOption == qtStandardOptions::missingValue)
        {
            return refuse(err, "option needs a value:", arg);
        }
        if (qtOption > 0)
        {
            platformChosen = platformChosen || qtStandardOptions::choosesPlatform(arg);
            i += qtOption - 1;
        }
        else if (arg == "-h" || arg == "--help")
        {
            help = true;
        }
        else if (arg == "-v" || arg == "--version")
        {
            version = true;
        }
        else
        {
            return refuse(err, "unknown option", arg);
        }
    }
    if (help)
    {
        out << helpText();
        return 0;
    }
    if (version)
    {
        out << versionText();
        return 0;
    }
    if (!platformChosen && !displayNamed())
    {
        err << programName
            << ": no display to show the dialog on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n";
        return noDisplay;
    }
    return runDialog;
}

displayFailureGuard::displayFailureGuard() : m_held(std::make_unique<std::vector<heldMessage>>())
{
    g_held = m_held.get();
    g_previousHandler = qInstallMessageHandler(failOnFatal);
}

displayFailureGuard::~displayFailureGuard()
{
    qInstallMessageHandler(g_previousHandler);
    g_held = nullptr;
    for (const heldMessage& message : *m_held)
    {
        pass(message.type, message.text);
    }
}
