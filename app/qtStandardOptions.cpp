#include "app/qtStandardOptions.h"

#include <algorithm>
#include <array>

namespace
{

// As Qt 6 reads them (QGuiApplication, QApplication and the xcb platform plugin).
constexpr std::array<std::string_view, 17> withValue{"-platform",      "-platformpluginpath",
                                                     "-platformtheme", "-plugin",
                                                     "-qmljsdebugger", "-qwindowgeometry",
                                                     "-qwindowicon",   "-qwindowtitle",
                                                     "-session",       "-style",
                                                     "-stylesheet",    "-display",
                                                     "-geometry",      "-title",
                                                     "-name",          "-visual",
                                                     "-icon"};
constexpr std::array<std::string_view, 7> alone{
    "-reverse", "-widgetcount", "-testability", "-nograb", "-dograb", "-qdevel", "-qdebug"};
constexpr std::array<std::string_view, 3> joinedValue{"-style=", "-stylesheet=", "-qmljsdebugger="};

// Qt takes "--style" for "-style".
std::string_view singleDash(std::string_view arg)
{
    return arg.starts_with("--") ? arg.substr(1) : arg;
}

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view arg)
{
    return std::find(names.begin(), names.end(), arg) != names.end();
}

} // namespace

std::size_t qtStandardOptions::length(std::span<char* const> args, std::size_t at)
{
    const std::string_view arg = singleDash(args[at] == nullptr ? "" : args[at]);
    if (among(alone, arg) ||
        std::any_of(joinedValue.begin(), joinedValue.end(),
                    [&](std::string_view prefix)
                    { return arg.size() > prefix.size() && arg.starts_with(prefix); }))
    {
        return 1;
    }
    if (among(withValue, arg))
    {
        return at + 1 < args.size() && args[at + 1] != nullptr ? 2 : missingValue;
    }
    return 0;
}

bool qtStandardOptions::choosesPlatform(std::string_view arg)
{
    return singleDash(arg) == "-platform";
}
