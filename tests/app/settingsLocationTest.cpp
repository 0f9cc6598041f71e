#include "app/settingsLocation.h"

#include "platform/wideText.h"
#include "support/logFile.h"
#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/registry.h>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
const LSTATUS kSuccess = ERROR_SUCCESS;

class settingsLocationTest : public ::testing::Test
{
protected:
    void SetUp() override { m_baseline = regOpenHandleCount(); }
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), m_baseline); }

    DWORD openHandles() const { return regOpenHandleCount() - m_baseline; }

    // Opens a key below a root without creating anything; null when it is missing.
    static HKEY openExisting(HKEY root, const WCHAR* path)
    {
        HKEY key = nullptr;
        return RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
    }

    static bool keyExists(HKEY root, const WCHAR* path)
    {
        HKEY const key = openExisting(root, path);
        if (key != nullptr)
        {
            RegCloseKey(key);
        }
        return key != nullptr;
    }

private:
    DWORD m_baseline = 0;
};

TEST_F(settingsLocationTest, ReadOnlyPassFailsOnAMissingKeyAndCreatesNothing)
{
    settingsLocation location;
    EXPECT_FALSE(location.OpenUserSettingsKey(settingsLocation::readAccess));
    EXPECT_EQ(location.productKey(), nullptr);
    // "Software" is a standard key and opened; the step below it fails.
    EXPECT_EQ(openHandles(), 1u);
    location.CloseSettingsKey();
    EXPECT_EQ(openHandles(), 0u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, u"Software\\Corvane"));
}

// The maker key exists but the product key does not: the read-only pass stops at the third
// step, keeps the two handles it opened until CloseSettingsKey, and creates nothing.
TEST_F(settingsLocationTest, AChainStopsAtTheFirstStepThatFails)
{
    HKEY maker = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &maker, nullptr),
              kSuccess);
    RegCloseKey(maker);

    settingsLocation location;
    EXPECT_FALSE(location.OpenUserSettingsKey(settingsLocation::readAccess));
    EXPECT_EQ(location.productKey(), nullptr);
    EXPECT_EQ(openHandles(), 2u);
    location.CloseSettingsKey();
    EXPECT_EQ(openHandles(), 0u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64"));
}

TEST_F(settingsLocationTest, ReadWritePassCreatesTheChainAndHandsOutTheProductKey)
{
    settingsLocation location;
    ASSERT_TRUE(location.OpenUserSettingsKey(settingsLocation::readWriteAccess));
    ASSERT_NE(location.productKey(), nullptr);
    EXPECT_EQ(openHandles(), 3u);
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(location.productKey(), u"debugHeap", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&one), 4),
              kSuccess);
    location.CloseSettingsKey();
    EXPECT_EQ(location.productKey(), nullptr);
    EXPECT_EQ(openHandles(), 0u);

    HKEY const product = openExisting(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64");
    ASSERT_NE(product, nullptr);
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(product, u"debugHeap", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&value), &size),
              kSuccess);
    EXPECT_EQ(value, 1u);
    RegCloseKey(product);
}

// A read-write pass is one transaction: neither the new chain nor its values show before
// CloseSettingsKey commits them, and then all show together.
TEST_F(settingsLocationTest, AReadWritePassShowsNothingUntilItIsClosed)
{
    settingsLocation location;
    ASSERT_TRUE(location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess));
    const DWORD values[] = {1, 2};
    for (const DWORD& value : values)
    {
        const WCHAR name[] = {static_cast<WCHAR>(u'a' + value), 0};
        ASSERT_EQ(RegSetValueExW(location.productKey(), name, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), 4),
                  kSuccess);
    }
    const WCHAR* const path = u".DEFAULT\\Software\\Corvane\\Tarnwickx64";
    EXPECT_FALSE(keyExists(HKEY_USERS, u".DEFAULT\\Software\\Corvane"));
    location.CloseSettingsKey();
    HKEY const product = openExisting(HKEY_USERS, path);
    ASSERT_NE(product, nullptr);
    for (const WCHAR* name : {u"b", u"c"})
    {
        EXPECT_EQ(RegQueryValueExW(product, name, nullptr, nullptr, nullptr, nullptr), kSuccess);
    }
    RegCloseKey(product);
}

// A commit that fails (here the disk is full when the commit writes the journal) is the
// pass's failure: CloseSettingsKey answers it and the diagnostic log gets it, as for a failed
// write; nothing of the pass is kept.
TEST_F(settingsLocationTest, AFailedCommitIsReportedAndKeepsNothing)
{
    const auto logFile = testsupport::sandboxRoot() / "commit.log";
    const std::u16string logName = wideText::fromUtf8(logFile.string());
    settingsLocation location;
    ASSERT_TRUE(location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess));
    ASSERT_EQ(registryTest::setDword(location.productKey(), u"a", 1), kSuccess);
    setLoggingEnabled(1);
    bool committed = true;
    {
        const registryTest::fileSizeCap full(4096);
        committed = location.CloseSettingsKey(logName.c_str());
    }
    setLoggingEnabled(0);
    EXPECT_FALSE(committed);
    EXPECT_EQ(openHandles(), 0u);
    EXPECT_FALSE(keyExists(HKEY_USERS, u".DEFAULT\\Software\\Corvane"));
    std::ostringstream logged;
    logged << std::ifstream(logFile).rdbuf();
    EXPECT_NE(logged.str().find("committing settings"), std::string::npos) << logged.str();

    ASSERT_TRUE(location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess));
    EXPECT_TRUE(location.CloseSettingsKey(logName.c_str()));
}

TEST_F(settingsLocationTest, ReadPassOpensAnExistingKeyWithReadAccessOnly)
{
    settingsLocation location;
    ASSERT_TRUE(location.OpenUserSettingsKey(settingsLocation::readWriteAccess));
    location.CloseSettingsKey();
    ASSERT_TRUE(location.OpenUserSettingsKey(settingsLocation::readAccess));
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(location.productKey(), u"x", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&one), 4),
              static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
    location.CloseSettingsKey();
}

TEST_F(settingsLocationTest, DefaultProfilePassUsesFourSlotsBelowTheUsersRoot)
{
    settingsLocation location;
    ASSERT_TRUE(location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess));
    EXPECT_EQ(openHandles(), 4u);
    location.CloseSettingsKey();
    EXPECT_EQ(openHandles(), 0u);
    EXPECT_TRUE(keyExists(HKEY_USERS, u".DEFAULT\\Software\\Corvane\\Tarnwickx64"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, u"Software\\Corvane"))
        << "the two locations are separate";
}

TEST_F(settingsLocationTest, OpeningAgainOrDestroyingClosesWhatWasLeftOpen)
{
    {
        settingsLocation location;
        ASSERT_TRUE(location.OpenUserSettingsKey(settingsLocation::readWriteAccess));
        ASSERT_TRUE(location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess));
        EXPECT_EQ(openHandles(), 4u);
    }
    EXPECT_EQ(openHandles(), 0u);
    settingsLocation unused;
    unused.CloseSettingsKey();
    EXPECT_EQ(openHandles(), 0u);
}
} // namespace
