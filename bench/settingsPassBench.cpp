// The main dialog's own load pass (LoadSettings) and Apply (OnApply), against Qt's QSettings
// writing and reading the same 79 values (INI, one file per location, sync() after each) and
// against the same SQL statements issued straight to the hive files (the floor).
//
//   load:  open HKEY_CURRENT_USER\Software\Corvane\Tarnwickx64 for reading, 79 reads, close
//   apply: on the user's key, then the default profile's: open in a transaction, 79 writes,
//          commit, close
//
// The dialog runs on the offscreen platform. The floor (floorHive) runs the statements of the
// registry's passes without its transactions; Apply ends each location with the checkpoint the
// registry makes when its last handle on a hive closes. Everything lives in a fresh folder
// below $TMPDIR (or /tmp). The closing lines give the ratios.

#include "app/CReZevavEvadurovDlg.h"
#include "bench/benchSandbox.h"
#include "bench/floorHive.h"
#include "bench/passTimeReporter.h"
#include "platform/registryName.h"
#include "platform/wideText.h"
#include "tests/testsupport/offscreenMainDialog.h"

#include <QSettings>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
using registryStore::registryName;

const std::vector<std::u16string> kUserPath = {u"Software", u"Corvane", u"Tarnwickx64"};
const std::vector<std::u16string> kDefaultPath = {u".DEFAULT", u"Software", u"Corvane",
                                                  u"Tarnwickx64"};
const WCHAR* const kDirectory = u"/home/someone/.local/share/Corvane/Tarnwick x64";

debugSettingsValues passValues()
{
    debugSettingsValues values = debugSettingsValues::startValues(kDirectory);
    for (std::size_t i = 0; i < values.numbers.size(); i += 2)
    {
        values.numbers[i] = 1;
    }
    return values;
}

// One row as the floor stores it: folded name, name text, type and bytes.
struct floorRow
{
    std::string text;
    std::string folded;
    int type;
    std::vector<unsigned char> data;
};

std::vector<floorRow> floorRows()
{
    const debugSettingsValues values = passValues();
    std::vector<floorRow> rows;
    const auto catalogue = debugSettingsCatalogue::rows();
    for (std::size_t i = 0; i < catalogue.size(); ++i)
    {
        const registryName name(catalogue[i].valueName);
        floorRow row{name.text(), name.folded(), 4, {}};
        const DWORD number = values.numbers[i];
        const auto* bytes = reinterpret_cast<const unsigned char*>(&number);
        switch (catalogue[i].kind)
        {
        case settingKind::ByteSwitch:
            row.type = 3;
            row.data.assign(bytes, bytes + 1);
            break;
        case settingKind::String:
        {
            row.type = 1;
            const auto* text = reinterpret_cast<const unsigned char*>(values.text.c_str());
            row.data.assign(text, text + (values.text.GetLength() + 1) * 2);
            break;
        }
        default:
            row.data.assign(bytes, bytes + 4);
            break;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// The dialog, created by main() as DoModal creates it, before any benchmark runs.
CReZevavEvadurovDlg* g_dialog = nullptr;

CReZevavEvadurovDlg& theDialog()
{
    return *g_dialog;
}

void BM_LoadPass(benchmark::State& state)
{
    CReZevavEvadurovDlg& dialog = theDialog();
    for (auto _ : state)
    {
        const debugSettingsValues loaded = dialog.LoadSettings();
        benchmark::DoNotOptimize(loaded.numbers.data());
    }
}

// Where QSettings keeps each location: one INI file apiece, beside the hives.
QString iniFile(int location)
{
    return QString::fromUtf8(std::getenv("XDG_CONFIG_HOME")) +
           (location == 0 ? "/currentUser.ini" : "/defaultUser.ini");
}

void BM_LoadQSettings(benchmark::State& state)
{
    const auto rows = debugSettingsCatalogue::rows();
    for (auto _ : state)
    {
        QSettings settings(iniFile(0), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Tarnwickx64"));
        std::size_t read = 0;
        for (const debugSetting& row : rows)
        {
            read += settings.value(QString::fromUtf16(row.valueName)).isValid() ? 1 : 0;
        }
        benchmark::DoNotOptimize(read);
    }
}

void BM_LoadFloor(benchmark::State& state)
{
    floorHive hive(HKEY_CURRENT_USER);
    const std::vector<floorRow> rows = floorRows();
    const std::vector<std::string> path = floorHive::foldedPath(kUserPath);
    for (auto _ : state)
    {
        const sqlite3_int64 key = hive.openPath(path);
        std::size_t bytes = 0;
        for (const floorRow& row : rows)
        {
            bytes += hive.read(key, row.folded,
                               [](const void* data, int size)
                               {
                                   const auto* blob = static_cast<const unsigned char*>(data);
                                   const std::vector<unsigned char> copy(blob, blob + size);
                                   return copy.size();
                               });
        }
        benchmark::DoNotOptimize(bytes);
    }
}

// Both apply benchmarks alternate between two value sets, so every round changes something.
void BM_ApplyPass(benchmark::State& state)
{
    CReZevavEvadurovDlg& dialog = theDialog();
    unsigned round = 0;
    for (auto _ : state)
    {
        state.PauseTiming(); // the group buttons are not part of Apply
        if (++round % 2 == 0)
        {
            dialog.OnUserInterfaceSetAll();
        }
        else
        {
            dialog.OnUserInterfaceResetAll();
        }
        state.ResumeTiming();
        dialog.OnApply();
    }
}

void BM_ApplyQSettings(benchmark::State& state)
{
    const debugSettingsValues values = passValues();
    const auto rows = debugSettingsCatalogue::rows();
    const QString text = QString::fromUtf16(values.text.c_str());
    unsigned round = 0;
    for (auto _ : state)
    {
        const DWORD flip = ++round % 2;
        for (int location : {0, 1})
        {
            QSettings settings(iniFile(location), QSettings::IniFormat);
            settings.beginGroup(QStringLiteral("Tarnwickx64"));
            for (std::size_t i = 0; i < rows.size(); ++i)
            {
                const QString name = QString::fromUtf16(rows[i].valueName);
                if (rows[i].kind == settingKind::String)
                {
                    settings.setValue(name, text);
                }
                else
                {
                    settings.setValue(name, values.numbers[i] ^ flip);
                }
            }
            settings.endGroup();
            settings.sync();
        }
    }
}

void BM_ApplyFloor(benchmark::State& state)
{
    floorHive user(HKEY_CURRENT_USER);
    floorHive users(HKEY_USERS);
    const std::vector<floorRow> rows = floorRows();
    const std::vector<std::string> userPath = floorHive::foldedPath(kUserPath);
    const std::vector<std::string> defaultPath = floorHive::foldedPath(kDefaultPath);
    for (auto _ : state)
    {
        for (floorHive* hive : {&user, &users})
        {
            const sqlite3_int64 key = hive->openPath(hive == &user ? userPath : defaultPath);
            for (const floorRow& row : rows)
            {
                hive->write(key, row.text, row.folded, row.type, row.data.data(),
                            static_cast<int>(row.data.size()));
            }
            hive->checkpoint();
        }
    }
}

BENCHMARK(BM_LoadPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadQSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyQSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyFloor)->Unit(benchmark::kMicrosecond);

// Prints the console table, then each pass against its floor.
class ratioReporter : public passTimeReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        ratio("apply", "BM_ApplyPass", "BM_ApplyQSettings", "QSettings", 1.0);
        ratio("load", "BM_LoadPass", "BM_LoadQSettings", "QSettings", 0.0);
        ratio("apply", "BM_ApplyPass", "BM_ApplyFloor", "floor", 0.0);
        ratio("load", "BM_LoadPass", "BM_LoadFloor", "floor", 0.0);
        if (const auto load = timeOf("BM_LoadPass"))
        {
            std::printf("load  %.1f us (goal 200.0 us) %s\n", *load,
                        *load <= 200.0 ? "met" : "MISSED");
        }
    }

private:
    // `goal` 0: the ratio is only shown.
    void ratio(const char* label, const char* pass, const char* other, const char* otherName,
               double goal) const
    {
        const auto p = timeOf(pass);
        const auto o = timeOf(other);
        if (!p || !o || *o <= 0)
        {
            return;
        }
        const double r = *p / *o;
        std::printf("%-5s dialog %9.1f us  %-9s %9.1f us  ratio %.2f", label, *p, otherName, *o, r);
        if (goal > 0)
        {
            std::printf(" (goal %.1f) %s", goal, r <= goal ? "met" : "MISSED");
        }
        std::printf("\n");
    }
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const benchSandbox sandbox("settingsPass");
    offscreenMainDialog offscreen(argc, argv);
    CReZevavEvadurovDlg& dialog = offscreen.dialog();
    g_dialog = &dialog;
    // Both keys and all values exist before anything is timed.
    dialog.OnApply();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane\\Tarnwickx64", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
    {
        std::fprintf(stderr, "could not prepare the hives below %s\n", sandbox.root().c_str());
        return 1;
    }
    RegCloseKey(key);
    ratioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
