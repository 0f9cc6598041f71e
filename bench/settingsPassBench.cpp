// One load pass and one Apply of the debug settings catalogue through the registry-backed
// store, against the same SQL statements issued straight to the hive files (the floor).
//
//   load:  open HKEY_CURRENT_USER\Software\Corvane\Tarnwickx64 for reading, 79 reads, close
//   apply: open, 79 writes, close on the user's key, then the same on the default profile's
//
// The floor (floorHive) runs exactly what the registry runs for these passes; Apply ends each
// location with the checkpoint the registry makes when its last handle on a hive closes. The
// hives live in a fresh folder below $TMPDIR (or /tmp). The closing lines give each pass
// against its floor.

#include "app/debugSettingsPass.h"
#include "bench/benchSandbox.h"
#include "bench/floorHive.h"
#include "bench/passTimeReporter.h"
#include "platform/registryName.h"
#include "platform/wideText.h"

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

void BM_LoadPass(benchmark::State& state)
{
    settingsLocation location;
    debugSettingsValues values = debugSettingsValues::startValues(u"");
    for (auto _ : state)
    {
        if (!debugSettingsPass::load(location, values))
        {
            state.SkipWithError("the user's key could not be opened");
            break;
        }
        benchmark::DoNotOptimize(values.numbers.data());
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

void BM_ApplyPass(benchmark::State& state)
{
    settingsLocation location;
    const debugSettingsValues values = passValues();
    for (auto _ : state)
    {
        const auto result = debugSettingsPass::apply(location, nullptr, values);
        if (!result.userWritten || !result.defaultProfileWritten)
        {
            state.SkipWithError("a location could not be written");
            break;
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
BENCHMARK(BM_LoadFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyFloor)->Unit(benchmark::kMicrosecond);

// Prints the console table, then each pass against its floor.
class ratioReporter : public passTimeReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        ratio("load", "BM_LoadPass", "BM_LoadFloor", 2.0);
        ratio("apply", "BM_ApplyPass", "BM_ApplyFloor", 1.5);
    }

private:
    void ratio(const char* label, const char* pass, const char* floor, double goal) const
    {
        const auto p = timeOf(pass);
        const auto f = timeOf(floor);
        if (!p || !f || *f <= 0)
        {
            return;
        }
        const double r = *p / *f;
        std::printf("%-5s pass %10.1f us  floor %10.1f us  ratio %.2f (goal %.1f) %s\n", label, *p,
                    *f, r, goal, r <= goal ? "met" : "MISSED");
    }
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const benchSandbox sandbox("settingsPass");
    {
        // Both keys and all values exist before anything is timed.
        settingsLocation location;
        const auto result = debugSettingsPass::apply(location, nullptr, passValues());
        if (!result.userWritten || !result.defaultProfileWritten)
        {
            std::fprintf(stderr, "could not prepare the hives below %s\n", sandbox.root().c_str());
            return 1;
        }
    }
    ratioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
