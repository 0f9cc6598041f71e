// Which folder of $XDG_CONFIG_DIRS holds the default profile's hive.

#include "platform/registryHiveLocation.h"
#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace
{

using registryStore::registryHiveLocation;
namespace fs = std::filesystem;

struct locationCase
{
    const char* name;
    const char* dirs;                 // "$a", "$b" stand for two sandbox folders; null: unset
    std::vector<const char*> holding; // folders that hold a hive file
    const char* expected;             // "$a", "$b" or an absolute folder
};

std::string expand(std::string text)
{
    for (const char* folder : {"a", "b"})
    {
        const std::string token = std::string("$") + folder;
        for (std::size_t at; (at = text.find(token)) != std::string::npos;)
        {
            text.replace(at, token.size(), (testsupport::sandboxRoot() / folder).string());
        }
    }
    return text;
}

class registryHiveLocationTest : public ::testing::TestWithParam<locationCase>
{
};

TEST_P(registryHiveLocationTest, UsersHiveIsInTheFirstFolderHoldingOneElseTheFirst)
{
    const locationCase& c = GetParam();
    for (const char* folder : c.holding)
    {
        const fs::path hive = fs::path(expand(folder)) / "reZevavEvadurov" / "HKEY_USERS.hive";
        fs::create_directories(hive.parent_path());
        std::ofstream(hive).put('x');
    }
    if (c.dirs == nullptr)
    {
        unsetenv("XDG_CONFIG_DIRS");
    }
    else
    {
        setenv("XDG_CONFIG_DIRS", expand(c.dirs).c_str(), 1);
    }
    EXPECT_EQ(registryHiveLocation::path(HKEY_USERS),
              expand(c.expected) + "/reZevavEvadurov/HKEY_USERS.hive");
}

INSTANTIATE_TEST_SUITE_P(
    cases, registryHiveLocationTest,
    ::testing::Values(locationCase{"unset", nullptr, {}, "/etc/xdg"},
                      locationCase{"empty", "", {}, "/etc/xdg"},
                      locationCase{"onlyRelative", "relative:also/relative", {}, "/etc/xdg"},
                      locationCase{"noneHoldsOne", "$a:$b", {}, "$a"},
                      locationCase{"secondHoldsOne", "$a:$b", {"$b"}, "$b"},
                      locationCase{"bothHoldOne", "$a:$b", {"$a", "$b"}, "$a"},
                      locationCase{"relativeSkipped", "relative:$b:$a", {"$a"}, "$a"},
                      locationCase{"emptyEntriesSkipped", "::$b", {}, "$b"}),
    [](const auto& info) { return std::string(info.param.name); });

// An administrator's write made with the plain default list is what a session whose list
// starts with a folder of its own reads.
TEST(registryHiveLocationSessionTest, SessionListReadsWhatTheDefaultListWrote)
{
    const std::string session = expand("$a:$b");
    setenv("XDG_CONFIG_DIRS", expand("$b").c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane", 0, nullptr, 0,
                              KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(registryTest::setDword(key, u"written", 7), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    setenv("XDG_CONFIG_DIRS", session.c_str(), 1);
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExW(key, u"written", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    RegCloseKey(key);
    EXPECT_FALSE(fs::exists(testsupport::sandboxRoot() / "a" / "reZevavEvadurov"));
}

} // namespace
