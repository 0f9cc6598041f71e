// The registry's own cost against the floor of the same SQL statements issued straight to the
// hive file on a raw SQLite connection.
//
//   read79:  RegOpenKeyExW (KEY_READ), 79 RegQueryValueExW of a REG_DWORD, RegCloseKey
//   write79: RegCreateKeyExW (KEY_READ | KEY_WRITE), 79 RegSetValueExW REG_DWORD, RegCloseKey
//   keysInOneTransaction/N: N new keys of one REG_DWORD each below a new key, in one transaction
//            committed at the end (what an import does); no floor, the closing lines give the
//            time per key, which stays flat as N grows when the cost is linear
//
// The floor (floorHive) runs what the registry runs for these passes; the write pass ends with
// the checkpoint the registry makes when its last handle on the hive closes.
//
// To add a pass, write its registry and floor functions and add a row to `passes`; the closing
// lines print every pass against its floor. The hive lives in a fresh folder below $TMPDIR.

#include "bench/benchSandbox.h"
#include "bench/floorHive.h"
#include "bench/passTimeReporter.h"
#include "platform/registryName.h"
#include "platform/wideText.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using registryStore::registryName;

constexpr int valueCount = 79;
constexpr const WCHAR* keyPath = u"Software\\Corvane\\Tarnwickx64";
const std::vector<std::u16string> pathNames = {u"Software", u"Corvane", u"Tarnwickx64"};

// Names of the lengths the settings catalogue uses.
const std::vector<std::u16string>& valueNames()
{
    static const std::vector<std::u16string> names = []
    {
        std::vector<std::u16string> out;
        for (int i = 0; i < valueCount; ++i)
        {
            out.push_back(u"debugSettingNumber" + wideText::fromUnsigned(i) + u"_value");
        }
        return out;
    }();
    return names;
}

void fail(const char* what, long code)
{
    std::fprintf(stderr, "%s failed: %ld\n", what, code);
    std::exit(1);
}

// ---- through the registry -------------------------------------------------------------------

void registryRead(benchmark::State& state)
{
    for (auto _ : state)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != 0)
        {
            fail("open", 0);
        }
        DWORD sum = 0;
        for (const std::u16string& name : valueNames())
        {
            DWORD value = 0;
            DWORD size = sizeof value;
            RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                             &size);
            sum += value;
        }
        RegCloseKey(key);
        benchmark::DoNotOptimize(sum);
    }
}

void registryWrite(benchmark::State& state)
{
    DWORD round = 0;
    for (auto _ : state)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                            nullptr, &key, nullptr) != 0)
        {
            fail("create", 0);
        }
        ++round;
        for (const std::u16string& name : valueNames())
        {
            const LSTATUS rc = RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                                              reinterpret_cast<const BYTE*>(&round), sizeof round);
            if (rc != 0)
            {
                fail("set", rc);
            }
        }
        RegCloseKey(key); // the last handle: checkpoints
    }
}

void keysInOneTransaction(benchmark::State& state, DWORD keys)
{
    static DWORD round = 0;
    for (auto _ : state)
    {
        const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
        HKEY parent = nullptr;
        const std::u16string parentPath = u"Software\\Scaling" + wideText::fromUnsigned(++round);
        if (RegCreateKeyTransactedW(HKEY_CURRENT_USER, parentPath.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &parent, nullptr, transaction,
                                    nullptr) != 0)
        {
            fail("create parent", 0);
        }
        for (DWORD i = 0; i < keys; ++i)
        {
            HKEY key = nullptr;
            LSTATUS rc = RegCreateKeyExW(parent, (u"key" + wideText::fromUnsigned(i)).c_str(), 0,
                                         nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            if (rc == 0)
            {
                rc = RegSetValueExW(key, u"value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i),
                                    sizeof i);
                RegCloseKey(key);
            }
            if (rc != 0)
            {
                fail("create key", rc);
            }
        }
        RegCloseKey(parent);
        if (CommitTransaction(transaction) == FALSE)
        {
            fail("commit", 0);
        }
        CloseHandle(transaction);
    }
}

const long transactionKeyCounts[] = {10000, 40000, 160000};

// ---- the floor: the same statements on a raw connection --------------------------------------

std::vector<registryName> floorNames()
{
    return {valueNames().begin(), valueNames().end()};
}

void floorRead(benchmark::State& state)
{
    floorHive db(HKEY_CURRENT_USER);
    const std::vector<std::string> path = floorHive::foldedPath(pathNames);
    const std::vector<registryName> names = floorNames();
    for (auto _ : state)
    {
        const sqlite3_int64 key = db.openPath(path);
        DWORD sum = 0;
        for (const registryName& name : names)
        {
            sum += db.read(key, name.folded(),
                           [](const void* data, int size)
                           {
                               DWORD value = 0;
                               std::memcpy(&value, data,
                                           std::min<std::size_t>(sizeof value,
                                                                 static_cast<std::size_t>(size)));
                               return value;
                           });
        }
        benchmark::DoNotOptimize(sum);
    }
}

void floorWrite(benchmark::State& state)
{
    floorHive db(HKEY_CURRENT_USER);
    const std::vector<std::string> path = floorHive::foldedPath(pathNames);
    const std::vector<registryName> names = floorNames();
    DWORD round = 0;
    for (auto _ : state)
    {
        const sqlite3_int64 key = db.openPath(path);
        ++round;
        for (const registryName& name : names)
        {
            db.write(key, name.text(), name.folded(), REG_DWORD, &round, sizeof round);
        }
        db.checkpoint();
    }
}

// ---- the passes and their report -------------------------------------------------------------

struct pass
{
    const char* label;
    void (*registry)(benchmark::State&);
    void (*floor)(benchmark::State&);
};

const pass passes[] = {
    {"read79", registryRead, floorRead},
    {"write79", registryWrite, floorWrite},
};

// The console table, then each pass against its floor.
class ratioReporter : public passTimeReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const pass& p : passes)
        {
            const auto reg = timeOf(std::string(p.label) + "/registry");
            const auto floor = timeOf(std::string(p.label) + "/floor");
            if (reg && floor && *floor > 0)
            {
                std::printf("%-8s registry %9.1f us  floor %9.1f us  ratio %.2f\n", p.label, *reg,
                            *floor, *reg / *floor);
            }
        }
        for (const long keys : transactionKeyCounts)
        {
            const auto ms = timeOf("keysInOneTransaction/" + std::to_string(keys));
            if (ms)
            {
                std::printf("%7ld keys in one transaction %9.1f ms  %6.2f us per key\n", keys, *ms,
                            *ms * 1000 / static_cast<double>(keys));
            }
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const benchSandbox sandbox("registry");
    {
        // The key and every value exist before anything is timed.
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != 0)
        {
            fail("prepare", 0);
        }
        const DWORD zero = 0;
        for (const std::u16string& name : valueNames())
        {
            RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                           sizeof zero);
        }
        RegCloseKey(key);
    }
    for (const pass& p : passes)
    {
        benchmark::RegisterBenchmark((std::string(p.label) + "/registry").c_str(), p.registry)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string(p.label) + "/floor").c_str(), p.floor)
            ->Unit(benchmark::kMicrosecond);
    }
    for (const long keys : transactionKeyCounts)
    {
        benchmark::RegisterBenchmark(("keysInOneTransaction/" + std::to_string(keys)).c_str(),
                                     keysInOneTransaction, static_cast<DWORD>(keys))
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    ratioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
