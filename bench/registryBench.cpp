// The registry's own cost against the floor of the same SQL statements issued straight to the
// hive file on a raw SQLite connection.
//
//   read79:  RegOpenKeyExW (KEY_READ), 79 RegQueryValueExW of a REG_DWORD, RegCloseKey
//   write79: RegCreateKeyExW (KEY_READ | KEY_WRITE), 79 RegSetValueExW REG_DWORD, RegCloseKey
//
// The floor runs what the registry runs: one key lookup per path step; one value lookup per
// read; per write BEGIN IMMEDIATE, the key's write time, the value upsert and COMMIT; and the
// full checkpoint the registry makes when the last handle on a hive closes.
//
// To add a pass, write its registry and floor functions and add a row to `passes`; the closing
// lines print every pass against its floor. The hive lives in a fresh folder below $TMPDIR.

#include "platform/registry.h"
#include "platform/registryName.h"
#include "platform/wideText.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace
{

using registryStore::registryName;

constexpr int valueCount = 79;
constexpr const WCHAR* keyPath = u"Software\\Corvane\\Tarnwickx64";
const std::vector<std::u16string> pathNames = {u"Software", u"Corvane", u"Tarnwickx64"};

std::filesystem::path g_root;

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

// ---- the floor: the same statements on a raw connection --------------------------------------

class floorConnection
{
public:
    floorConnection()
    {
        const std::filesystem::path file = g_root / "config/reZevavEvadurov/HKEY_CURRENT_USER.hive";
        check(sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                              nullptr),
              SQLITE_OK, "open");
        sqlite3_busy_timeout(m_db, 5000);
        check(sqlite3_exec(m_db, "PRAGMA synchronous = NORMAL; PRAGMA cell_size_check = ON",
                           nullptr, nullptr, nullptr),
              SQLITE_OK, "pragmas");
        m_findKey = prepare("SELECT id FROM hiveKey WHERE parent = ?1 AND folded = ?2");
        m_findValue = prepare("SELECT type, data FROM hiveValue WHERE keyId = ?1 AND folded = ?2");
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_touch = prepare("UPDATE hiveKey SET written = ?2 WHERE id = ?1");
        m_set = prepare("INSERT INTO hiveValue(keyId, name, folded, type, data) "
                        "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(keyId, folded) DO UPDATE SET "
                        "type = excluded.type, data = excluded.data");
        for (const std::u16string& name : pathNames)
        {
            m_path.push_back(registryName(name).folded());
        }
        for (const std::u16string& name : valueNames())
        {
            m_values.emplace_back(name);
        }
    }
    ~floorConnection()
    {
        for (sqlite3_stmt* s : {m_findKey, m_findValue, m_begin, m_commit, m_touch, m_set})
        {
            sqlite3_finalize(s);
        }
        sqlite3_close(m_db);
    }
    floorConnection(const floorConnection&) = delete;
    floorConnection& operator=(const floorConnection&) = delete;

    sqlite3_int64 openKey()
    {
        sqlite3_int64 id = 1; // the hive's root
        for (const std::string& folded : m_path)
        {
            sqlite3_bind_int64(m_findKey, 1, id);
            sqlite3_bind_blob(m_findKey, 2, folded.data(), static_cast<int>(folded.size()),
                              SQLITE_STATIC);
            check(sqlite3_step(m_findKey), SQLITE_ROW, "find key");
            id = sqlite3_column_int64(m_findKey, 0);
            sqlite3_reset(m_findKey);
        }
        return id;
    }

    DWORD read(sqlite3_int64 key, const registryName& name)
    {
        sqlite3_bind_int64(m_findValue, 1, key);
        sqlite3_bind_blob(m_findValue, 2, name.folded().data(),
                          static_cast<int>(name.folded().size()), SQLITE_STATIC);
        check(sqlite3_step(m_findValue), SQLITE_ROW, "find value");
        DWORD value = 0;
        const int size = sqlite3_column_bytes(m_findValue, 1);
        std::memcpy(&value, sqlite3_column_blob(m_findValue, 1),
                    std::min<std::size_t>(sizeof value, static_cast<std::size_t>(size)));
        sqlite3_reset(m_findValue);
        return value;
    }

    void write(sqlite3_int64 key, const registryName& name, DWORD value)
    {
        step(m_begin, "begin");
        const auto now = std::chrono::system_clock::now().time_since_epoch().count() / 100;
        sqlite3_bind_int64(m_touch, 1, key);
        sqlite3_bind_int64(m_touch, 2, now);
        step(m_touch, "touch");
        sqlite3_bind_int64(m_set, 1, key);
        sqlite3_bind_text(m_set, 2, name.text().data(), static_cast<int>(name.text().size()),
                          SQLITE_STATIC);
        sqlite3_bind_blob(m_set, 3, name.folded().data(), static_cast<int>(name.folded().size()),
                          SQLITE_STATIC);
        sqlite3_bind_int(m_set, 4, static_cast<int>(REG_DWORD));
        sqlite3_bind_blob(m_set, 5, &value, sizeof value, SQLITE_STATIC);
        step(m_set, "set");
        step(m_commit, "commit");
    }

    void checkpoint()
    {
        check(sqlite3_wal_checkpoint_v2(m_db, "main", SQLITE_CHECKPOINT_FULL, nullptr, nullptr),
              SQLITE_OK, "checkpoint");
    }

    const std::vector<registryName>& values() const { return m_values; }

private:
    static void check(int rc, int expected, const char* what)
    {
        if (rc != expected)
        {
            fail(what, rc);
        }
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        check(sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr), SQLITE_OK,
              sql);
        return s;
    }
    static void step(sqlite3_stmt* s, const char* what)
    {
        check(sqlite3_step(s), SQLITE_DONE, what);
        sqlite3_reset(s);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_findKey = nullptr;
    sqlite3_stmt* m_findValue = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_touch = nullptr;
    sqlite3_stmt* m_set = nullptr;
    std::vector<std::string> m_path;
    std::vector<registryName> m_values;
};

void floorRead(benchmark::State& state)
{
    floorConnection db;
    for (auto _ : state)
    {
        const sqlite3_int64 key = db.openKey();
        DWORD sum = 0;
        for (const registryName& name : db.values())
        {
            sum += db.read(key, name);
        }
        benchmark::DoNotOptimize(sum);
    }
}

void floorWrite(benchmark::State& state)
{
    floorConnection db;
    DWORD round = 0;
    for (auto _ : state)
    {
        const sqlite3_int64 key = db.openKey();
        ++round;
        for (const registryName& name : db.values())
        {
            db.write(key, name, round);
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

// The console table, then each pass against its floor (the median when repeated).
class ratioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            {
                m_times[name] = run.GetAdjustedRealTime();
                m_median[name] = true;
            }
            else if (run.run_type == Run::RT_Iteration && !m_median[name])
            {
                m_times[name] = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const pass& p : passes)
        {
            const auto reg = m_times.find(std::string(p.label) + "/registry");
            const auto floor = m_times.find(std::string(p.label) + "/floor");
            if (reg != m_times.end() && floor != m_times.end() && floor->second > 0)
            {
                std::printf("%-8s registry %9.1f us  floor %9.1f us  ratio %.2f\n", p.label,
                            reg->second, floor->second, reg->second / floor->second);
            }
        }
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, bool> m_median;
};

void makeSandbox()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/rz-bench-registry-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
    {
        fail("mkdtemp", errno);
    }
    g_root = pattern;
    for (const char* sub : {"home", "config", "xdg"})
    {
        std::filesystem::create_directories(g_root / sub);
    }
    setenv("HOME", (g_root / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (g_root / "config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (g_root / "xdg").c_str(), 1);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    makeSandbox();
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
    ratioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(g_root, ec);
    return 0;
}
