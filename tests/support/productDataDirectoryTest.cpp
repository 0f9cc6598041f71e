#include "support/productDataDirectory.h"
#include "support/productDataDirectoryForTests.h"

#include "platform/shellFolder.h"
#include "platform/wideText.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{

namespace fs = std::filesystem;

std::u16string wide(const fs::path& path)
{
    return wideText::fromUtf8(path.string());
}
std::u16string text(const WCHAR* buffer)
{
    return std::u16string(buffer);
}

constexpr const WCHAR* product = u"Tarnwick x64";
constexpr const WCHAR* mainLog = u"twLog_x64.txt";
constexpr const WCHAR* uiLog = u"twLogUI_x64.txt";

// The buffers live for the process; each test starts as a fresh process would.
class productDataDirectoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetProductDataPathsForTests();
        m_appData = testsupport::sandboxDataHome();
        m_productDir = m_appData / "Corvane" / "Tarnwick x64";
    }
    void TearDown() override { resetProductDataPathsForTests(); }

    static void loseTheFolderLookup()
    {
        unsetenv("XDG_DATA_HOME");
        unsetenv("HOME");
    }

    fs::path m_appData;
    fs::path m_productDir;
};

TEST_F(productDataDirectoryTest, ToolPathsAreExactAndTheirFoldersExist)
{
    EXPECT_EQ(text(getProductDataDirectory(u"", product)), wide(m_productDir));
    EXPECT_EQ(text(getLogFilePath(u"", product, mainLog)), wide(m_productDir / "twLog_x64.txt"));
    EXPECT_EQ(text(getUILogFilePath(u"", product, uiLog)), wide(m_productDir / "twLogUI_x64.txt"));
    EXPECT_TRUE(fs::is_directory(m_productDir));
    EXPECT_FALSE(fs::exists(m_productDir / "twLog_x64.txt")); // paths only, no files
    EXPECT_FALSE(fs::exists(m_productDir / "twLogUI_x64.txt"));
}

TEST_F(productDataDirectoryTest, FallsBackToTheHomeDataFolder)
{
    unsetenv("XDG_DATA_HOME");
    const fs::path expected =
        testsupport::sandboxHome() / ".local" / "share" / "Corvane" / "Tarnwick x64";
    EXPECT_EQ(text(getProductDataDirectory(u"", product)), wide(expected));
    EXPECT_TRUE(fs::is_directory(expected));
}

TEST_F(productDataDirectoryTest, PrefixJoinsTheProductFolderWithOneBlank)
{
    EXPECT_EQ(text(getProductDataDirectory(u"Beta", product)),
              wide(m_appData / "Corvane" / "Beta Tarnwick x64"));
    EXPECT_TRUE(fs::is_directory(m_appData / "Corvane" / "Beta Tarnwick x64"));
    EXPECT_EQ(text(getProductDataFilePath(u"Beta", product, mainLog)),
              wide(m_appData / "Corvane" / "Beta Tarnwick x64" / "twLog_x64.txt"));
    EXPECT_EQ(text(getProductDataDirectory(nullptr, product)), wide(m_productDir));
    EXPECT_EQ(text(getProductDataFilePath(nullptr, product, mainLog)),
              wide(m_productDir / "twLog_x64.txt"));
}

TEST_F(productDataDirectoryTest, MissingNamesLeaveATrailingSeparator)
{
    EXPECT_EQ(text(getProductDataDirectory(u"", nullptr)), wide(m_appData) + u"/Corvane/");
    EXPECT_EQ(text(getProductDataFilePath(u"", nullptr, mainLog)),
              wide(m_appData / "Corvane" / "twLog_x64.txt"));
    EXPECT_EQ(text(getProductDataFilePath(u"", product, nullptr)), wide(m_productDir) + u"/");
}

TEST_F(productDataDirectoryTest, EveryCallRecreatesTheFoldersAndReusesItsBuffer)
{
    const WCHAR* first = getProductDataDirectory(u"", product);
    fs::remove_all(m_appData / "Corvane");
    const WCHAR* second = getProductDataDirectory(u"", u"Other");
    EXPECT_EQ(first, second);
    EXPECT_EQ(text(first), wide(m_appData / "Corvane" / "Other"));
    EXPECT_TRUE(fs::is_directory(m_appData / "Corvane" / "Other"));

    const WCHAR* file = getProductDataFilePath(u"", product, mainLog);
    EXPECT_NE(file, first); // each composing operation has a buffer of its own
    EXPECT_TRUE(fs::is_directory(m_productDir));
}

TEST_F(productDataDirectoryTest, AFolderThatCannotBeMadeStillGivesThePath)
{
    fs::create_directories(m_appData);
    std::ofstream(m_appData / "Corvane") << "in the way";
    EXPECT_EQ(text(getProductDataDirectory(u"", product)), wide(m_productDir));
    EXPECT_FALSE(fs::is_directory(m_productDir));
}

TEST_F(productDataDirectoryTest, CachedPathsIgnoreLaterArguments)
{
    const WCHAR* log = getLogFilePath(u"", product, mainLog);
    const std::u16string expected = wide(m_productDir / "twLog_x64.txt");
    ASSERT_EQ(text(log), expected);
    fs::remove_all(m_appData / "Corvane");

    EXPECT_EQ(getLogFilePath(u"Beta", u"Other", u"other.txt"), log);
    EXPECT_EQ(text(log), expected);
    EXPECT_FALSE(fs::exists(m_appData / "Corvane")); // a cached call creates nothing

    // The other cache is separate, and composing calls do not disturb either.
    EXPECT_EQ(text(getUILogFilePath(u"", u"Other", uiLog)),
              wide(m_appData / "Corvane" / "Other" / "twLogUI_x64.txt"));
    getProductDataFilePath(u"", u"Third", mainLog);
    EXPECT_EQ(text(getLogFilePath(u"", product, mainLog)), expected);
}

TEST_F(productDataDirectoryTest, FailedLookupGivesEmptyPathsAndIsRetried)
{
    loseTheFolderLookup();
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        EXPECT_EQ(text(getUILogFilePath(u"", product, uiLog)), u"");
        EXPECT_EQ(text(getProductDataDirectory(u"", product)), u"");
        EXPECT_EQ(text(getProductDataFilePath(u"", product, mainLog)), u"");
    }
    EXPECT_FALSE(fs::exists(m_appData / "Corvane"));
    EXPECT_TRUE(fs::is_empty(testsupport::sandboxHome()));

    setenv("XDG_DATA_HOME", m_appData.c_str(), 1);
    const std::u16string expected = wide(m_productDir / "twLogUI_x64.txt");
    EXPECT_EQ(text(getUILogFilePath(u"", product, uiLog)), expected);

    // Fixed from then on, whatever the lookup would say now.
    loseTheFolderLookup();
    EXPECT_EQ(text(getUILogFilePath(u"", product, uiLog)), expected);
}

TEST_F(productDataDirectoryTest, LookupStatusIsPassedThrough)
{
    WCHAR buffer[MAX_PATH] = u"untouched";
    loseTheFolderLookup();
    EXPECT_EQ(getShellFolderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer),
              E_FAIL);
    EXPECT_EQ(text(buffer), u"untouched");

    setenv("XDG_DATA_HOME", m_appData.c_str(), 1);
    EXPECT_EQ(getShellFolderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer),
              S_OK);
    EXPECT_EQ(text(buffer), wide(m_appData));
}

// Lengths below count characters of the composed path, the terminator not included.
class productDataDirectoryLengthTest : public productDataDirectoryTest
{
protected:
    // A product folder name that makes the directory path exactly `length` characters long.
    std::u16string productNameFor(std::size_t length) const
    {
        const std::size_t base = wide(m_appData / "Corvane").size() + 1;
        return std::u16string(length - base, u'p');
    }
};

TEST_F(productDataDirectoryLengthTest, UpTo260CharactersFit)
{
    const std::u16string name = productNameFor(MAX_PATH);
    const std::u16string path = text(getProductDataDirectory(u"", name.c_str()));
    EXPECT_EQ(path.size(), MAX_PATH);
    EXPECT_TRUE(fs::is_directory(wideText::toUtf8(path)));

    const std::u16string shorter = productNameFor(MAX_PATH - 4);
    EXPECT_EQ(text(getProductDataFilePath(u"", shorter.c_str(), u"abc")).size(), MAX_PATH);
}

TEST_F(productDataDirectoryLengthTest, LongerPathsAreEmptyAndNotCached)
{
    const std::u16string name = productNameFor(MAX_PATH + 1);
    EXPECT_EQ(text(getProductDataDirectory(u"", name.c_str())), u"");
    EXPECT_EQ(text(getProductDataDirectory(u"Beta", productNameFor(MAX_PATH - 4).c_str())), u"");
    const std::u16string shorter = productNameFor(MAX_PATH - 4);
    EXPECT_EQ(text(getProductDataFilePath(u"", shorter.c_str(), u"abcd")), u"");
    EXPECT_EQ(text(getProductDataFilePath(u"", shorter.c_str(), nullptr)).size(),
              MAX_PATH - 3); // the folder itself, with its separator, still fits

    const std::u16string longFile(400, u'f');
    EXPECT_EQ(text(getLogFilePath(u"", product, longFile.c_str())), u"");
    EXPECT_EQ(text(getLogFilePath(u"", product, mainLog)), wide(m_productDir / "twLog_x64.txt"));
}

TEST_F(productDataDirectoryLengthTest, AnAppDataFolderNearTheLimitLeavesNoRoom)
{
    const fs::path deep =
        testsupport::sandboxRoot() / std::string(110, 'a') / std::string(110, 'b');
    ASSERT_LT(deep.string().size(), MAX_PATH);
    ASSERT_GT(deep.string().size() + sizeof("/Corvane/Tarnwick x64") - 1, MAX_PATH);
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    EXPECT_EQ(text(getProductDataDirectory(u"", product)), u"");
    EXPECT_EQ(text(getUILogFilePath(u"", product, uiLog)), u"");
}

TEST_F(productDataDirectoryTest, TheCallersLastErrorSurvives)
{
    getProductDataDirectory(u"", product); // the folders exist: creation now fails
    SetLastError(4321);
    getProductDataDirectory(u"", product);
    getProductDataFilePath(u"", product, mainLog);
    getLogFilePath(u"", product, mainLog);
    getUILogFilePath(u"", product, uiLog);
    EXPECT_EQ(GetLastError(), 4321u);
}

TEST(ensureTrailingBackslashTest, AppendsOnlyWhereNeededAndWhereThereIsRoom)
{
    WCHAR path[6] = u"ab";
    EXPECT_TRUE(ensureTrailingBackslash(path, 6));
    EXPECT_EQ(text(path), u"ab/");
    EXPECT_TRUE(ensureTrailingBackslash(path, 6));
    EXPECT_EQ(text(path), u"ab/");

    WCHAR full[4] = u"abc";
    EXPECT_FALSE(ensureTrailingBackslash(full, 4));
    EXPECT_EQ(text(full), u"abc");

    WCHAR empty[4] = u"";
    EXPECT_FALSE(ensureTrailingBackslash(empty, 4));
    EXPECT_EQ(text(empty), u"");
    EXPECT_FALSE(ensureTrailingBackslash(nullptr, 4));

    WCHAR unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_FALSE(ensureTrailingBackslash(unterminated, 3));
}

} // namespace
