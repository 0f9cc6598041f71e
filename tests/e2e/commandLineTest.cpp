// The real executable's command line, with no display in the environment.

#include "tests/e2e/desktopSession.h"
#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

// Runs the tool with `args` and every display variable removed (plus `extraEnv`, "NAME=value").
desktopTest::processResult runTool(const std::vector<std::string>& args,
                                   const char* extraEnv = nullptr)
{
    std::vector<std::string> argv{RZ_EXECUTABLE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    if (extraEnv != nullptr)
    {
        env.emplace_back(extraEnv);
    }
    return desktopTest::run(argv, env);
}

struct optionCase
{
    const char* name;
    std::vector<std::string> args;
    const char* extraEnv;
    int status;
    const char* outStart; // what standard output starts with ("" for nothing at all)
    const char* errStart;
};

class commandLineTest : public ::testing::TestWithParam<optionCase>
{
};

TEST_P(commandLineTest, AnswersWithoutADisplay)
{
    const optionCase& c = GetParam();
    const auto result = runTool(c.args, c.extraEnv);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(result.out.substr(0, std::string(c.outStart).size()), c.outStart);
    EXPECT_EQ(result.err.substr(0, std::string(c.errStart).size()), c.errStart);
    if (c.outStart[0] == '\0')
    {
        EXPECT_EQ(result.out, "");
    }
    if (c.errStart[0] == '\0')
    {
        EXPECT_EQ(result.err, "");
    }
    else
    {
        // Whatever goes wrong is said in lines of text, never by an abort.
        EXPECT_EQ(result.err.back(), '\n');
    }
}

const char* const usage = "Usage: reZevavEvadurov [--help | --version] [Qt options]\n";

INSTANTIATE_TEST_SUITE_P(
    cases, commandLineTest,
    ::testing::Values(
        optionCase{"help", {"--help"}, nullptr, 0, usage, ""},
        optionCase{"shortHelp", {"-h"}, nullptr, 0, usage, ""},
        optionCase{"version", {"--version"}, nullptr, 0, "reZevavEvadurov 1.0.0\n", ""},
        optionCase{"shortVersion", {"-v"}, nullptr, 0, "reZevavEvadurov 1.0.0\n", ""},
        optionCase{"helpWinsOverVersion", {"--version", "--help"}, nullptr, 0, usage, ""},
        optionCase{"unknownOption",
                   {"--frobnicate"},
                   nullptr,
                   2,
                   "",
                   "reZevavEvadurov: unknown option '--frobnicate'\nUsage: "},
        optionCase{"unknownAfterHelp",
                   {"--help", "x"},
                   nullptr,
                   2,
                   "",
                   "reZevavEvadurov: unknown option 'x'\nUsage: "},
        optionCase{"noDisplay", {}, nullptr, 1, "", "reZevavEvadurov: no display"},
        // Qt's own options are left to QApplication, their values with them.
        optionCase{"qtOptions",
                   {"-style", "fusion", "-reverse", "--qwindowgeometry", "640x480+0+0",
                    "-style=fusion", "-qwindowtitle", "--help", "-display", ":9", "-nograb",
                    "--platformtheme", "x", "--version"},
                   nullptr,
                   0,
                   "reZevavEvadurov 1.0.0\n",
                   ""},
        optionCase{"qtOptionWithoutValue",
                   {"--version", "-style"},
                   nullptr,
                   2,
                   "",
                   "reZevavEvadurov: option needs a value: '-style'\nUsage: "},
        optionCase{"notTakenByQt",
                   {"-ncols", "16"},
                   nullptr,
                   2,
                   "",
                   "reZevavEvadurov: unknown option '-ncols'\nUsage: "},
        // -platform names the window system itself, so a missing DISPLAY does not matter.
        optionCase{"platformOption",
                   {"-platform", "rzNoSuchPlatform"},
                   nullptr,
                   1,
                   "",
                   "reZevavEvadurov: cannot open a window: "},
        optionCase{"unreachableDisplay",
                   {},
                   "DISPLAY=:7919",
                   1,
                   "",
                   "reZevavEvadurov: cannot open a window"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(commandLineTest, NamesThePackageOfAMissingWaylandPlugin)
{
    const auto result = runTool({"-platform", "wayland"}, "WAYLAND_DISPLAY=rz-no-such-socket");
    EXPECT_EQ(result.status, 1) << result.err;
    // The Wayland plugin, when installed, may write to standard error itself first.
    EXPECT_NE(result.err.find("reZevavEvadurov: cannot open a window: "), std::string::npos)
        << result.err;
    const bool installed =
        std::filesystem::exists(RZ_QT_PLUGINS "/platforms/libqwayland-generic.so");
    EXPECT_EQ(result.err.find("install the qt6-wayland package") != std::string::npos, !installed)
        << result.err;
}

TEST(commandLineHelpTest, NamesTheLocationsAsResolvedNow)
{
    const auto result = runTool({"--help"});
    ASSERT_EQ(result.status, 0);
    const std::string user =
        (testsupport::sandboxConfigHome() / "reZevavEvadurov" / "HKEY_CURRENT_USER.hive").string();
    const std::string users =
        (testsupport::sandboxConfigDirs() / "reZevavEvadurov" / "HKEY_USERS.hive").string();
    const std::string data = (testsupport::sandboxDataHome() / "Corvane" / "Tarnwick x64").string();
    EXPECT_NE(result.out.find("Current user's settings:  " + user + ", key "), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Default profile settings: " + users + ", key "), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Data folder:              " + data + " ("), std::string::npos)
        << result.out;
    // Asking for help makes no settings.
    EXPECT_FALSE(std::filesystem::exists(testsupport::sandboxConfigHome() / "reZevavEvadurov"));
}

} // namespace
