#include "app/debugSettingsPass.h"

#include "platform/registry.h"
#include "platform/wideText.h"
#include "settings/readWriteSettingsToRegistry.h"
#include "tests/app/expectedCatalogue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr const WCHAR* kProductPath = u"Software\\Corvane\\Tarnwickx64";
constexpr const WCHAR* kDefaultProductPath = u".DEFAULT\\Software\\Corvane\\Tarnwickx64";

struct storedValue
{
    LSTATUS result = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

storedValue stored(HKEY root, const WCHAR* path, const WCHAR* name)
{
    storedValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
    {
        return value;
    }
    BYTE data[1024];
    DWORD size = sizeof data;
    value.result = RegQueryValueExW(key, name, nullptr, &value.type, data, &size);
    if (value.result == ERROR_SUCCESS)
    {
        value.bytes.assign(data, data + size);
    }
    RegCloseKey(key);
    return value;
}

std::size_t rowIndex(const WCHAR* name)
{
    const auto rows = debugSettingsCatalogue::rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (wideText::compare(rows[i].valueName, name) == 0)
        {
            return i;
        }
    }
    ADD_FAILURE() << "no row " << wideText::toUtf8(name);
    return 0;
}

// Records which store operation each row went through, with its log file, and passes the
// call on (here to a store without a key, so every call fails).
class recordingStore : public readWriteSettingsToRegistry
{
public:
    struct call
    {
        std::string operation;
        std::string name;
        const WCHAR* logFileName;
    };
    std::vector<call> calls;

    int readDword(const WCHAR* name, DWORD& value) override
    {
        return record("readDword", name, nullptr,
                      readWriteSettingsToRegistry::readDword(name, value));
    }
    int readUInt(const WCHAR* name, unsigned int& value) override
    {
        return record("readUInt", name, nullptr,
                      readWriteSettingsToRegistry::readUInt(name, value));
    }
    int readChar(const WCHAR* name, char& value) override
    {
        return record("readChar", name, nullptr,
                      readWriteSettingsToRegistry::readChar(name, value));
    }
    int readString(const WCHAR* name, stubString& value) override
    {
        return record("readString", name, nullptr,
                      readWriteSettingsToRegistry::readString(name, value));
    }
    int writeDword(const WCHAR* log, const WCHAR* name, const DWORD& value) override
    {
        return record("writeDword", name, log,
                      readWriteSettingsToRegistry::writeDword(log, name, value));
    }
    int writeUInt(const WCHAR* log, const WCHAR* name, const unsigned int& value) override
    {
        return record("writeUInt", name, log,
                      readWriteSettingsToRegistry::writeUInt(log, name, value));
    }
    int writeChar(const WCHAR* log, const WCHAR* name, const char& value) override
    {
        return record("writeChar", name, log,
                      readWriteSettingsToRegistry::writeChar(log, name, value));
    }
    int writeString(const WCHAR* log, const WCHAR* name, const stubString& value) override
    {
        return record("writeString", name, log,
                      readWriteSettingsToRegistry::writeString(log, name, value));
    }

private:
    int record(const char* operation, const WCHAR* name, const WCHAR* log, int result)
    {
        calls.push_back({operation, wideText::toUtf8(name), log});
        return result;
    }
};

// The operation pair each kind of row goes through.
std::string operationOf(const expectedSetting& row)
{
    if (row.kind == settingKind::Selection || wideText::toUtf8(row.valueName) == "debugBreakpoint")
    {
        return "Dword";
    }
    switch (row.kind)
    {
    case settingKind::ByteSwitch:
        return "Char";
    case settingKind::String:
        return "String";
    default:
        return "UInt";
    }
}

TEST(debugSettingsPassRows, EveryRowGoesThroughItsKindsOperationsInCatalogueOrder)
{
    const WCHAR* const logFile = u"/ui/log.txt";
    debugSettingsValues values = debugSettingsValues::startValues(u"");
    recordingStore reads;
    EXPECT_EQ(debugSettingsPass::readRows(reads, values), 0);
    recordingStore writes;
    EXPECT_EQ(debugSettingsPass::writeRows(writes, logFile, values), 0);
    ASSERT_EQ(reads.calls.size(), expectedCatalogue.size());
    ASSERT_EQ(writes.calls.size(), expectedCatalogue.size());
    for (std::size_t i = 0; i < expectedCatalogue.size(); ++i)
    {
        const expectedSetting& row = expectedCatalogue[i];
        const std::string name = wideText::toUtf8(row.valueName);
        EXPECT_EQ(reads.calls[i].operation, "read" + operationOf(row)) << name;
        EXPECT_EQ(reads.calls[i].name, name);
        EXPECT_EQ(writes.calls[i].operation, "write" + operationOf(row)) << name;
        EXPECT_EQ(writes.calls[i].name, name);
        EXPECT_EQ(writes.calls[i].logFileName, logFile) << name;
    }
}

class debugSettingsPassTest : public ::testing::Test
{
protected:
    void SetUp() override { m_baseline = regOpenHandleCount(); }
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), m_baseline); }

    settingsLocation location;
    debugSettingsValues values = debugSettingsValues::startValues(u"/data/dir");

private:
    DWORD m_baseline = 0;
};

TEST_F(debugSettingsPassTest, LoadingWithoutTheKeyKeepsTheStartValues)
{
    const debugSettingsValues before = values;
    EXPECT_FALSE(debugSettingsPass::load(location, values));
    EXPECT_EQ(values.numbers, before.numbers);
    EXPECT_TRUE(values.text == before.text);
    EXPECT_EQ(values.numbers[rowIndex(u"debugResetLogFileAtStartup")], 1u);
}

TEST_F(debugSettingsPassTest, ApplyWritesEveryRowWithItsTypeToBothLocations)
{
    values.numbers[rowIndex(u"debugHeap")] = 1;
    values.numbers[rowIndex(u"debugStartupOrder")] = 28;
    values.numbers[rowIndex(u"advancedCRTEnable")] = 1;
    values.text = u"";
    const auto result = debugSettingsPass::apply(location, nullptr, values);
    EXPECT_TRUE(result.userWritten);
    EXPECT_TRUE(result.defaultProfileWritten);

    for (const auto& [root, path] :
         {std::pair{HKEY_CURRENT_USER, kProductPath}, std::pair{HKEY_USERS, kDefaultProductPath}})
    {
        for (const debugSetting& row : debugSettingsCatalogue::rows())
        {
            const storedValue value = stored(root, path, row.valueName);
            ASSERT_EQ(value.result, static_cast<LSTATUS>(ERROR_SUCCESS))
                << wideText::toUtf8(row.valueName);
            const DWORD type = row.kind == settingKind::ByteSwitch ? REG_BINARY
                               : row.kind == settingKind::String   ? REG_SZ
                                                                   : REG_DWORD;
            const std::size_t size = row.kind == settingKind::ByteSwitch ? 1
                                     : row.kind == settingKind::String   ? 2
                                                                         : 4;
            EXPECT_EQ(value.type, type) << wideText::toUtf8(row.valueName);
            EXPECT_EQ(value.bytes.size(), size) << wideText::toUtf8(row.valueName);
        }
        EXPECT_EQ(stored(root, path, u"debugHeap").bytes, (std::vector<BYTE>{1, 0, 0, 0}));
        EXPECT_EQ(stored(root, path, u"debugStartupOrder").bytes, (std::vector<BYTE>{28, 0, 0, 0}));
        EXPECT_EQ(stored(root, path, u"advancedCRTEnable").bytes, (std::vector<BYTE>{1}));
    }
}

TEST_F(debugSettingsPassTest, LoadReadsBackWhatApplyWrote)
{
    values.numbers[rowIndex(u"debugSetJmpHook")] = 1;
    values.numbers[rowIndex(u"debugResetLogFileAtStartup")] = 0;
    values.numbers[rowIndex(u"writeToLog_uiAlloc")] = 7; // not 0 or 1: kept as stored
    values.text = u"/tmp/dumps \x00E9";
    debugSettingsPass::apply(location, nullptr, values);

    debugSettingsValues loaded = debugSettingsValues::startValues(u"elsewhere");
    ASSERT_TRUE(debugSettingsPass::load(location, loaded));
    EXPECT_EQ(loaded.numbers, values.numbers);
    EXPECT_TRUE(loaded.text == values.text);
}

TEST_F(debugSettingsPassTest, AByteSwitchOfAnotherSizeLoadsAsMissingAndApplyMendsIt)
{
    debugSettingsPass::apply(location, nullptr, values);
    ASSERT_TRUE(location.OpenUserSettingsKey(settingsLocation::readWriteAccess));
    const DWORD four = 1;
    RegSetValueExW(location.productKey(), u"advancedCRTEnable", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&four), 4);
    location.CloseSettingsKey();

    debugSettingsValues loaded = debugSettingsValues::startValues(u"");
    ASSERT_TRUE(debugSettingsPass::load(location, loaded));
    EXPECT_EQ(loaded.numbers[rowIndex(u"advancedCRTEnable")], 0u);
    debugSettingsPass::apply(location, nullptr, loaded);
    const storedValue mended = stored(HKEY_CURRENT_USER, kProductPath, u"advancedCRTEnable");
    EXPECT_EQ(mended.type, REG_BINARY);
    EXPECT_EQ(mended.bytes, (std::vector<BYTE>{0}));
}

TEST_F(debugSettingsPassTest, TwoAppliesInARowLeaveNoHandleOpen)
{
    const DWORD before = regOpenHandleCount();
    debugSettingsPass::apply(location, nullptr, values);
    EXPECT_EQ(regOpenHandleCount(), before);
    values.numbers[rowIndex(u"debugCRT")] = 1;
    debugSettingsPass::apply(location, nullptr, values);
    EXPECT_EQ(regOpenHandleCount(), before);
    EXPECT_EQ(stored(HKEY_USERS, kDefaultProductPath, u"debugCRT").bytes,
              (std::vector<BYTE>{1, 0, 0, 0}));
}

// With the default profile's hive impossible to create, the user's key is still written.
TEST_F(debugSettingsPassTest, AFailedDefaultProfileLeavesTheUsersPassAndNoHandle)
{
    setenv("XDG_CONFIG_DIRS", "/dev/null/unreachable", 1);
    const DWORD before = regOpenHandleCount();
    const auto result = debugSettingsPass::apply(location, nullptr, values);
    EXPECT_TRUE(result.userWritten);
    EXPECT_FALSE(result.defaultProfileWritten);
    EXPECT_EQ(regOpenHandleCount(), before);
    EXPECT_EQ(stored(HKEY_CURRENT_USER, kProductPath, u"debugHeap").result,
              static_cast<LSTATUS>(ERROR_SUCCESS));
}
} // namespace
