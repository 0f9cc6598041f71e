// The real executable's command line, with no display in the environment.

#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

struct runResult
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string readAll(const std::filesystem::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Runs the tool with `args` and every display variable removed (plus `extraEnv`, "NAME=value").
runResult runTool(const std::vector<std::string>& args, const char* extraEnv = nullptr)
{
    const auto outPath = testsupport::sandboxRoot() / "stdout";
    const auto errPath = testsupport::sandboxRoot() / "stderr";
    const pid_t pid = fork();
    if (pid == 0)
    {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        {
            unsetenv(name);
        }
        if (extraEnv != nullptr)
        {
            putenv(const_cast<char*>(extraEnv));
        }
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(RZ_EXECUTABLE)};
        for (const std::string& arg : args)
        {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(RZ_EXECUTABLE, argv.data());
        _exit(127);
    }
    runResult result;
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readAll(outPath);
    result.err = readAll(errPath);
    return result;
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
    const runResult result = runTool(c.args, c.extraEnv);
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

const char* const usage = "Usage: reZevavEvadurov [--help | --version]\n";

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
        optionCase{"unreachableDisplay",
                   {},
                   "DISPLAY=:97",
                   1,
                   "",
                   "reZevavEvadurov: cannot open a window"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(commandLineHelpTest, NamesTheLocationsAsResolvedNow)
{
    const runResult result = runTool({"--help"});
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
