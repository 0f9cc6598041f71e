#pragma once

// The options every Qt program takes, which QApplication and its platform plugin remove from
// argv themselves: -platform, -style, -reverse, -qwindowgeometry and the others, with one or
// two leading dashes, the value as the next argument (or after '=' for -style, -stylesheet
// and -qmljsdebugger). The X11 ones (-display, -geometry, -name, ...) are accepted on every
// platform, as they are by Qt programs in general; a platform without a use for them ignores
// them. Stateless; any thread.

#include <cstddef>
#include <span>
#include <string_view>

class qtStandardOptions
{
public:
    static constexpr std::size_t missingValue = static_cast<std::size_t>(-1);

    // How many arguments from args[at] on form one Qt option: 1, or 2 with its value; 0 when
    // args[at] is not a Qt option; missingValue when it needs a value that is not there.
    static std::size_t length(std::span<char* const> args, std::size_t at);

    // True for -platform, which chooses the window system in place of the environment.
    static bool choosesPlatform(std::string_view arg);
};
