// Every failure point of the two multi-write operations, as SQLite tests itself: for each N,
// the Nth allocation of SQLite fails, and separately the Nth write or sync of a hive file,
// across one Apply of the dialog and across one import touching both hives. Each run must leave
// each place holding its whole earlier set or its whole new one, answer failure when a place
// kept the earlier set, and leave every hive sound. N runs from 1 until a run completes
// without the failure happening.

#include "app/debugSettingsPass.h"
#include "app/productPaths.h"
#include "app/settingsLocation.h"
#include "platform/wideText.h"
#include "support/logFile.h"
#include "support/productDataDirectoryForTests.h"
#include "tests/faults/sqliteFaults.h"
#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/offscreenMainDialog.h"
#include "tools/rzreg/regFile.h"
#include "tools/rzreg/regImport.h"
#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include <functional>
#include <gtest/gtest.h>

namespace
{

using sqliteFaults::target;
using places = std::vector<std::string>;

// Restores the earlier sets, runs `run` with the Nth failure injected and checks what each
// place holds, for N = 1, 2, ... until a run completes without the failure; answers how many
// points there were. `run` answers whether it reported a failure.
long everyFailurePoint(target what, const std::function<void()>& restore,
                       const std::function<bool()>& run, const std::function<places()>& now,
                       const places& earlier, const places& newer)
{
    for (long n = 1;; ++n)
    {
        restore();
        EXPECT_EQ(now(), earlier);
        sqliteFaults::arm(what, n);
        const bool reported = run();
        if (!sqliteFaults::disarm())
        {
            EXPECT_EQ(now(), newer);
            return n - 1;
        }
        const places held = now();
        for (std::size_t i = 0; i < held.size(); ++i)
        {
            EXPECT_TRUE(held[i] == earlier[i] || held[i] == newer[i]) << "a mix at failure " << n;
            EXPECT_TRUE(held[i] == newer[i] || reported) << "failure " << n << " not reported";
        }
        for (const auto& hive : {registryTest::userHive(std::getenv("XDG_CONFIG_HOME")),
                                 registryTest::usersHive(std::getenv("XDG_CONFIG_DIRS"))})
        {
            EXPECT_EQ(registryTest::integrityOf(hive, SQLITE_OPEN_READONLY), "ok") << hive;
        }
        if (::testing::Test::HasFailure())
        {
            return n;
        }
    }
}

bool (settingsLocation::*const kLocations[])(REGSAM) = {
    &settingsLocation::OpenUserSettingsKey, &settingsLocation::OpenDefaultUserSettingsKey};

// Every row of each location as the dialog's passes see it, a marker where one is missing.
places settingsHeld()
{
    places held;
    for (const auto open : kLocations)
    {
        settingsLocation place;
        debugSettingsValues values;
        values.numbers.assign(debugSettingsCatalogue::rows().size(), 0xBAD0BAD0u);
        readWriteSettingsToRegistry store;
        store.setKey((place.*open)(settingsLocation::readAccess) ? place.productKey() : nullptr);
        debugSettingsPass::readRows(store, values);
        std::string text = wideText::toUtf8(values.text.c_str());
        for (const DWORD number : values.numbers)
        {
            // Appended piece by piece: "," + string trips GCC 12's -Wrestrict at -O3.
            text.append(",").append(std::to_string(number));
        }
        held.push_back(text);
    }
    return held;
}

std::uintmax_t logSize()
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(wideText::toUtf8(productPaths::uiLogFile()), ec);
    return ec ? 0 : size;
}

class registryFaults : public ::testing::TestWithParam<target>
{
protected:
    // The log's path and open file belong to this test's sandbox only.
    void SetUp() override { resetProductDataPathsForTests(); }
    void TearDown() override { destroyLogHeap(); }
};

// The dialog's own Apply; a failure is reported in the diagnostic log, as a failed write is.
TEST_P(registryFaults, EveryFailurePointOfAnApplyKeepsEachLocationWhole)
{
    createStubHeap();
    setLoggingEnabled(1);
    silentShellActions shell;
    CReZevavEvadurovDlg dialog(shell);
    dialog.Create();
    dialog.OnApply();
    const places newer = settingsHeld();
    debugSettingsValues earlierValues = debugSettingsValues::startValues(u"earlier");
    for (DWORD& number : earlierValues.numbers)
    {
        number += 7; // differs from the dialog's in every row, byte rows included
    }
    const auto restore = [&]
    {
        for (const auto open : kLocations)
        {
            settingsLocation place;
            readWriteSettingsToRegistry store;
            ASSERT_TRUE((place.*open)(settingsLocation::readWriteAccess));
            store.setKey(place.productKey());
            debugSettingsPass::writeRows(store, nullptr, earlierValues);
            ASSERT_TRUE(place.CloseSettingsKey());
        }
    };
    restore();
    const places earlier = settingsHeld();
    ASSERT_NE(earlier, newer);
    const auto apply = [&]
    {
        const std::uintmax_t before = logSize();
        dialog.OnApply();
        return logSize() > before;
    };
    const long points = everyFailurePoint(GetParam(), restore, apply, settingsHeld, earlier, newer);
    setLoggingEnabled(0);
    EXPECT_GT(points, 1);
    std::printf("Apply: %ld injection points\n", points);
}

std::vector<BYTE> importOf(const char* data)
{
    const std::string text = std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Import]\n") +
                             data + "\n[HKEY_USERS\\.DEFAULT\\Software\\Import]\n" + data;
    std::vector<BYTE> bytes(text.begin(), text.end());
    regFile::fault why;
    EXPECT_TRUE(regFile::check(bytes, why));
    return bytes;
}

LSTATUS importFile(const std::vector<BYTE>& bytes)
{
    std::size_t line = 0;
    return applyImport(bytes, line);
}

// "a" and "b" of each hive's imported key.
places importHeld()
{
    places held;
    for (const auto& [root, path] : {std::pair{HKEY_CURRENT_USER, u"Software\\Import"},
                                     std::pair{HKEY_USERS, u".DEFAULT\\Software\\Import"}})
    {
        HKEY key = nullptr;
        std::string seen = "none";
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS)
        {
            seen.clear();
            for (const WCHAR* name : {u"a", u"b"})
            {
                DWORD value = 0;
                const LSTATUS status = registryTest::queryDword(key, name, value);
                seen += std::to_string(status) + std::to_string(value);
            }
            RegCloseKey(key);
        }
        held.push_back(seen);
    }
    return held;
}

// The import commits hive after hive: a failure between the two commits leaves the first hive
// new and the second as it was, each whole; the import answers failure then.
TEST_P(registryFaults, EveryFailurePointOfATwoHiveImportKeepsEachHiveWhole)
{
    const auto earlier = importOf("\"a\"=dword:00000001\n\"b\"=dword:00000001\n");
    const auto newer = importOf("\"a\"=dword:00000002\n\"b\"=dword:00000002\n");
    const auto restore = [&] { ASSERT_EQ(importFile(earlier), ERROR_SUCCESS); };
    const auto import = [&] { return importFile(newer) != ERROR_SUCCESS; };
    const long points = everyFailurePoint(GetParam(), restore, import, importHeld, {"0101", "0101"},
                                          {"0202", "0202"});
    EXPECT_GT(points, 1);
    std::printf("import: %ld injection points\n", points);
}

INSTANTIATE_TEST_SUITE_P(Injected, registryFaults, ::testing::Values(target::memory, target::disk),
                         [](const auto& info)
                         { return info.param == target::memory ? "Memory" : "Disk"; });

} // namespace
