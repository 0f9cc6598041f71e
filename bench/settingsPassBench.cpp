// One load pass and one Apply of the debug settings catalogue through the registry-backed
// store, against the same SQL statements issued straight to the hive files (the floor).
//
//   load:  open HKEY_CURRENT_USER\Software\Corvane\Tarnwickx64 for reading, 79 reads, close
//   apply: open, 79 writes, close on the user's key, then the same on the default profile's
//
// The floor runs exactly what the registry runs for these passes: one key lookup per path
// step, one value lookup per read, and per write BEGIN IMMEDIATE, the key's write time, the
// value upsert and COMMIT; Apply ends each location with the full checkpoint the registry makes
// when the last handle on a hive closes. The hives live in a fresh folder below $TMPDIR (or
// /tmp). The closing lines give each pass against its floor.

#include "app/debugSettingsPass.h"
#include "platform/registryName.h"
#include "platform/wideText.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
using registryStore::registryName;

const std::vector<const WCHAR*> kUserPath = {u"Software", u"Corvane", u"Tarnwickx64"};
const std::vector<const WCHAR*> kDefaultPath = {u".DEFAULT", u"Software", u"Corvane",
                                                u"Tarnwickx64"};
const WCHAR* const kDirectory = u"/home/someone/.local/share/Corvane/Tarnwick x64";

std::filesystem::path g_root;

// The hive files the registry keeps below the two configuration folders.
std::filesystem::path userHive()
{
    return g_root / "config/reZevavEvadurov/HKEY_CURRENT_USER.hive";
}
std::filesystem::path usersHive()
{
    return g_root / "xdg/reZevavEvadurov/HKEY_USERS.hive";
}

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

void check(int rc, int expected, const char* what)
{
    if (rc != expected)
    {
        std::fprintf(stderr, "floor: %s answered %d\n", what, rc);
        std::abort();
    }
}

// A connection to one hive file with the registry's settings and statements.
class floorHive
{
public:
    explicit floorHive(const std::filesystem::path& file)
    {
        check(sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK,
              "open");
        sqlite3_busy_timeout(m_db, 5000);
        check(sqlite3_exec(m_db, "PRAGMA synchronous = NORMAL; PRAGMA cell_size_check = ON",
                           nullptr, nullptr, nullptr),
              SQLITE_OK, "pragma");
        m_findKey = prepare("SELECT id FROM hiveKey WHERE parent = ?1 AND folded = ?2");
        m_findValue = prepare("SELECT type, data FROM hiveValue WHERE keyId = ?1 AND folded = ?2");
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_touch = prepare("UPDATE hiveKey SET written = ?2 WHERE id = ?1");
        m_set = prepare("INSERT INTO hiveValue(keyId, name, folded, type, data) "
                        "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(keyId, folded) DO UPDATE SET "
                        "type = excluded.type, data = excluded.data");
    }
    ~floorHive()
    {
        for (sqlite3_stmt* s : {m_findKey, m_findValue, m_begin, m_commit, m_touch, m_set})
        {
            sqlite3_finalize(s);
        }
        sqlite3_close(m_db);
    }
    floorHive(const floorHive&) = delete;
    floorHive& operator=(const floorHive&) = delete;

    sqlite3_int64 openPath(const std::vector<std::string>& foldedPath)
    {
        sqlite3_int64 id = 1; // the hive's root key
        for (const std::string& folded : foldedPath)
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

    std::size_t read(sqlite3_int64 key, const floorRow& row)
    {
        sqlite3_bind_int64(m_findValue, 1, key);
        sqlite3_bind_blob(m_findValue, 2, row.folded.data(), static_cast<int>(row.folded.size()),
                          SQLITE_STATIC);
        check(sqlite3_step(m_findValue), SQLITE_ROW, "find value");
        const auto* blob = static_cast<const unsigned char*>(sqlite3_column_blob(m_findValue, 1));
        const std::vector<unsigned char> copy(blob, blob + sqlite3_column_bytes(m_findValue, 1));
        sqlite3_reset(m_findValue);
        return copy.size();
    }

    void write(sqlite3_int64 key, const floorRow& row)
    {
        step(m_begin, "begin");
        const auto now = std::chrono::system_clock::now().time_since_epoch().count();
        sqlite3_bind_int64(m_touch, 1, key);
        sqlite3_bind_int64(m_touch, 2, now);
        step(m_touch, "touch");
        sqlite3_bind_int64(m_set, 1, key);
        sqlite3_bind_text(m_set, 2, row.text.data(), static_cast<int>(row.text.size()),
                          SQLITE_STATIC);
        sqlite3_bind_blob(m_set, 3, row.folded.data(), static_cast<int>(row.folded.size()),
                          SQLITE_STATIC);
        sqlite3_bind_int(m_set, 4, row.type);
        sqlite3_bind_blob(m_set, 5, row.data.data(), static_cast<int>(row.data.size()),
                          SQLITE_STATIC);
        step(m_set, "set");
        step(m_commit, "commit");
    }

    void checkpoint()
    {
        check(sqlite3_wal_checkpoint_v2(m_db, "main", SQLITE_CHECKPOINT_FULL, nullptr, nullptr),
              SQLITE_OK, "checkpoint");
    }

private:
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
};

std::vector<std::string> foldedPath(const std::vector<const WCHAR*>& names)
{
    std::vector<std::string> out;
    for (const WCHAR* name : names)
    {
        out.push_back(registryName(name).folded());
    }
    return out;
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
    floorHive hive(userHive());
    const std::vector<floorRow> rows = floorRows();
    const std::vector<std::string> path = foldedPath(kUserPath);
    for (auto _ : state)
    {
        const sqlite3_int64 key = hive.openPath(path);
        std::size_t bytes = 0;
        for (const floorRow& row : rows)
        {
            bytes += hive.read(key, row);
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
    floorHive user(userHive());
    floorHive users(usersHive());
    const std::vector<floorRow> rows = floorRows();
    const std::vector<std::string> userPath = foldedPath(kUserPath);
    const std::vector<std::string> defaultPath = foldedPath(kDefaultPath);
    for (auto _ : state)
    {
        for (floorHive* hive : {&user, &users})
        {
            const sqlite3_int64 key = hive->openPath(hive == &user ? userPath : defaultPath);
            for (const floorRow& row : rows)
            {
                hive->write(key, row);
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
class ratioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the pass; without, the one run.
        for (const Run& run : runs)
        {
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred)
            {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            {
                m_times[name] = run.GetAdjustedRealTime();
                m_fromMedian[name] = true;
            }
            else if (run.run_type == Run::RT_Iteration && !m_fromMedian[name])
            {
                m_times[name] = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        ratio("load", "BM_LoadPass", "BM_LoadFloor", 2.0);
        ratio("apply", "BM_ApplyPass", "BM_ApplyFloor", 1.5);
    }

private:
    void ratio(const char* label, const char* pass, const char* floor, double goal)
    {
        const auto p = m_times.find(pass);
        const auto f = m_times.find(floor);
        if (p == m_times.end() || f == m_times.end() || f->second <= 0)
        {
            return;
        }
        const double r = p->second / f->second;
        std::printf("%-5s pass %10.1f us  floor %10.1f us  ratio %.2f (goal %.1f) %s\n", label,
                    p->second, f->second, r, goal, r <= goal ? "met" : "MISSED");
    }

    std::map<std::string, double> m_times;
    std::map<std::string, bool> m_fromMedian;
};

void makeSandbox()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/rz-bench-settingsPass-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
    {
        std::perror("mkdtemp");
        std::exit(1);
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
        // Both keys and all values exist before anything is timed.
        settingsLocation location;
        const auto result = debugSettingsPass::apply(location, nullptr, passValues());
        if (!result.userWritten || !result.defaultProfileWritten)
        {
            std::fprintf(stderr, "could not prepare the hives below %s\n", g_root.c_str());
            return 1;
        }
    }
    ratioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(g_root, ec);
    return 0;
}
