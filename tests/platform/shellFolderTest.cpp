#include "platform/shellFolder.h"
#include "platform/wideText.h"
#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;

using pathBuffer = std::array<WCHAR, MAX_PATH>;

pathBuffer filledBuffer()
{
    pathBuffer buffer{};
    buffer.fill(u'#');
    return buffer;
}

bool untouched(const pathBuffer& buffer)
{
    return std::all_of(buffer.begin(), buffer.end(), [](WCHAR c) { return c == u'#'; });
}

std::string narrow(const pathBuffer& buffer)
{
    return wideText::toUtf8(buffer.data());
}

HRESULT lookUp(pathBuffer& buffer)
{
    return SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer.data());
}

TEST(shellFolderTest, AppDataIsTheXdgDataHome)
{
    pathBuffer buffer = filledBuffer();
    ASSERT_EQ(lookUp(buffer), S_OK);
    EXPECT_EQ(narrow(buffer), testsupport::sandboxDataHome().string());

    setenv("XDG_DATA_HOME", (testsupport::sandboxDataHome().string() + "//").c_str(), 1);
    ASSERT_EQ(lookUp(buffer), S_OK);
    EXPECT_EQ(narrow(buffer), testsupport::sandboxDataHome().string());
}

TEST(shellFolderTest, FallsBackToHomeAndMakesTheFolderPrivate)
{
    for (const char* unusable : {"", "relative/data"})
    {
        setenv("XDG_DATA_HOME", unusable, 1);
        pathBuffer buffer = filledBuffer();
        ASSERT_EQ(lookUp(buffer), S_OK) << unusable;
        const fs::path expected = testsupport::sandboxHome() / ".local" / "share";
        EXPECT_EQ(narrow(buffer), expected.string());
        struct stat st
        {
        };
        ASSERT_EQ(::stat(expected.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
}

TEST(shellFolderTest, FailsWithoutAnyFolderAndLeavesTheBufferAlone)
{
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    pathBuffer buffer = filledBuffer();
    EXPECT_EQ(lookUp(buffer), E_FAIL);
    EXPECT_TRUE(untouched(buffer));

    setenv("HOME", "", 1);
    EXPECT_EQ(lookUp(buffer), E_FAIL);
    EXPECT_TRUE(untouched(buffer));
}

TEST(shellFolderTest, FailsWhenTheFolderCannotBeOrDoesNotFit)
{
    const fs::path blocker = testsupport::sandboxRoot() / "blocker";
    fs::create_directories(blocker.parent_path());
    {
        std::ofstream(blocker) << "x";
    }
    setenv("XDG_DATA_HOME", (blocker / "data").c_str(), 1);
    pathBuffer buffer = filledBuffer();
    EXPECT_EQ(lookUp(buffer), E_FAIL);
    EXPECT_TRUE(untouched(buffer));

    const std::string longest = "/" + std::string(MAX_PATH - 1, 'd');
    setenv("XDG_DATA_HOME", longest.c_str(), 1);
    EXPECT_EQ(lookUp(buffer), E_FAIL);
    EXPECT_TRUE(untouched(buffer));
}

TEST(shellFolderTest, OnlyTheCurrentUsersAppDataIsKnown)
{
    pathBuffer buffer = filledBuffer();
    constexpr int CSIDL_PROFILE = 0x28;
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, buffer.data()), E_INVALIDARG);
    int token = 0;
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, &token, 0, buffer.data()), E_INVALIDARG);
    EXPECT_TRUE(untouched(buffer));
}

TEST(shellFolderTest, EntryPointsAreFoundByName)
{
    EXPECT_EQ(findShell32FolderPathEntry("SHGetFolderPathW"), &SHGetFolderPathW);
    EXPECT_EQ(findShell32FolderPathEntry("SHGetFolderPathA"), nullptr);
    EXPECT_EQ(findShell32FolderPathEntry(nullptr), nullptr);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), static_cast<HRESULT>(0x8007007Fu));
}

} // namespace
