// Every failure point of the two multi-write operations, as SQLite tests itself: for each N,
// the Nth allocation of SQLite fails, and separately the Nth write or sync of a hive file,
// across one Apply of the dialog and across one import touching both hives. Each run must leave
// each place holding its whole earlier set or its whole new one, answer failure when a place
// kept the earlier set, and leave every hive sound. N runs from 1 until a run completes
// without the failure happening.

#include "app/CReZevavEvadurovDlg.h"
#include "app/debugSettingsPass.h"
#include "app/productPaths.h"
#include "app/settingsLocation.h"
#include "framework/IShellActions.h"
#include "platform/registry.h"
#include "platform/wideText.h"
#include "settings/readWriteSettingsToRegistry.h"
#include "support/logFile.h"
#include "support/productDataDirectoryForTests.h"
#include "support/stubHeap.h"
#include "tests/faults/sqliteFaults.h"
#include "tests/platform/registryTestHelpers.h"
#include "tools/rzreg/regFile.h"
#include "tools/rzreg/regImport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{

namespace fs = std::filesystem;
using sqliteFaults::target;

class silentShell final : public IShellActions
{
public:
    void beep() override {}
    bool openPath(const QString&) override { return false; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

void expectSoundHives()
{
    for (const fs::path& hive : {registryTest::userHive(std::getenv("XDG_CONFIG_HOME")),
                                 registryTest::usersHive(std::getenv("XDG_CONFIG_DIRS"))})
    {
        EXPECT_EQ(registryTest::integrityOf(hive, SQLITE_OPEN_READONLY), "ok") << hive;
    }
}

// One location as the dialog's passes see it: every row, or a marker where a row is missing.
struct location
{
    bool (settingsLocation::*open)(REGSAM);

    std::u16string read() const
    {
        settingsLocation place;
        debugSettingsValues values;
        values.numbers.assign(debugSettingsCatalogue::rows().size(), 0xBAD0BAD0u);
        values.text = u"(missing)";
        if ((place.*open)(settingsLocation::readAccess))
        {
            readWriteSettingsToRegistry store;
            store.setKey(place.productKey());
            debugSettingsPass::readRows(store, values);
        }
        std::u16string text(values.text.c_str());
        for (const DWORD number : values.numbers)
        {
            text += u"," + wideText::fromUnsigned(number);
        }
        return text;
    }

    void write(const debugSettingsValues& values) const
    {
        settingsLocation place;
        ASSERT_TRUE((place.*open)(settingsLocation::readWriteAccess));
        readWriteSettingsToRegistry store;
        store.setKey(place.productKey());
        EXPECT_EQ(debugSettingsPass::writeRows(store, nullptr, values),
                  static_cast<int>(values.numbers.size()));
        ASSERT_TRUE(place.CloseSettingsKey());
    }
};

const location kLocations[] = {{&settingsLocation::OpenUserSettingsKey},
                               {&settingsLocation::OpenDefaultUserSettingsKey}};

std::uintmax_t logSize()
{
    std::error_code ec;
    const auto size = fs::file_size(wideText::toUtf8(productPaths::uiLogFile()), ec);
    return ec ? 0 : size;
}

class registryFaults : public ::testing::TestWithParam<target>
{
protected:
    // The log's path and open file belong to this test's sandbox only.
    void SetUp() override { resetProductDataPathsForTests(); }
    void TearDown() override { destroyLogHeap(); }
};

TEST_P(registryFaults, EveryFailurePointOfAnApplyKeepsEachLocationWhole)
{
    createStubHeap();
    setLoggingEnabled(1);
    silentShell shell;
    CReZevavEvadurovDlg dialog(shell);
    dialog.Create();
    dialog.OnApply();
    const std::u16string newer = kLocations[0].read();
    ASSERT_EQ(kLocations[1].read(), newer);
    debugSettingsValues earlierValues = debugSettingsValues::startValues(u"earlier");
    for (DWORD& number : earlierValues.numbers)
    {
        number += 7; // differs from the dialog's in every row, byte rows included
    }
    std::u16string earlier;
    long points = 0;
    for (long n = 1;; ++n)
    {
        for (const location& place : kLocations)
        {
            if (earlier.empty() || place.read() != earlier)
            {
                place.write(earlierValues);
            }
        }
        earlier = kLocations[0].read();
        ASSERT_NE(earlier, newer);
        const std::uintmax_t logBefore = logSize();
        sqliteFaults::arm(GetParam(), n);
        dialog.OnApply();
        if (!sqliteFaults::disarm())
        {
            points = n - 1;
            break;
        }
        for (const location& place : kLocations)
        {
            const std::u16string now = place.read();
            EXPECT_TRUE(now == earlier || now == newer) << "a mix after failure " << n;
            EXPECT_TRUE(now == newer || logSize() > logBefore)
                << "failure " << n << " kept the earlier set and reported nothing";
        }
        expectSoundHives();
        if (HasFailure())
        {
            break;
        }
    }
    setLoggingEnabled(0);
    EXPECT_GT(points, 1);
    RecordProperty("injectionPoints", std::to_string(points));
    std::printf("Apply: %ld injection points\n", points);
}

std::vector<regFile::step> importOf(const char* data)
{
    const std::string text = std::string("Windows Registry Editor Version 5.00\r\n\r\n") +
                             "[HKEY_CURRENT_USER\\Software\\Corvane\\Import]\r\n" + data +
                             "\r\n[HKEY_USERS\\.DEFAULT\\Software\\Corvane\\Import]\r\n" + data;
    std::vector<regFile::step> steps;
    regFile::fault why;
    EXPECT_TRUE(regFile::parse(std::vector<BYTE>(text.begin(), text.end()), steps, why))
        << why.reason;
    return steps;
}

// "a" and "b" of one hive's imported key, or what is missing.
std::string importedIn(HKEY root, const WCHAR* path)
{
    HKEY key = nullptr;
    std::string seen = "none";
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        seen.clear();
        for (const WCHAR* name : {u"a", u"b"})
        {
            DWORD value = 0;
            seen += registryTest::queryDword(key, name, value) == ERROR_SUCCESS
                        ? std::to_string(value) + ";"
                        : "-;";
        }
        RegCloseKey(key);
    }
    return seen;
}

// The import commits hive after hive: a failure between the two commits leaves the first hive
// new and the second as it was, each whole; the import answers failure then.
TEST_P(registryFaults, EveryFailurePointOfATwoHiveImportKeepsEachHiveWhole)
{
    const auto earlierSteps = importOf("\"a\"=dword:00000001\r\n\"b\"=dword:00000001\r\n");
    const auto newerSteps = importOf("\"a\"=dword:00000002\r\n\"b\"=dword:00000002\r\n");
    const std::string earlier = "1;1;";
    const std::string newer = "2;2;";
    long points = 0;
    for (long n = 1;; ++n)
    {
        ASSERT_EQ(applyImport(earlierSteps), ERROR_SUCCESS);
        sqliteFaults::arm(GetParam(), n);
        const LSTATUS status = applyImport(newerSteps);
        if (!sqliteFaults::disarm())
        {
            EXPECT_EQ(status, ERROR_SUCCESS);
            points = n - 1;
            break;
        }
        for (const auto& [root, path] :
             {std::pair{HKEY_CURRENT_USER, u"Software\\Corvane\\Import"},
              std::pair{HKEY_USERS, u".DEFAULT\\Software\\Corvane\\Import"}})
        {
            const std::string now = importedIn(root, path);
            EXPECT_TRUE(now == earlier || now == newer) << now << " after failure " << n;
            EXPECT_TRUE(now == newer || status != ERROR_SUCCESS)
                << "failure " << n << " kept the earlier set and answered success";
        }
        expectSoundHives();
        if (HasFailure())
        {
            break;
        }
    }
    EXPECT_GT(points, 1);
    RecordProperty("injectionPoints", std::to_string(points));
    std::printf("import: %ld injection points\n", points);
}

INSTANTIATE_TEST_SUITE_P(Injected, registryFaults, ::testing::Values(target::memory, target::disk),
                         [](const auto& info)
                         { return info.param == target::memory ? "Memory" : "Disk"; });

} // namespace
