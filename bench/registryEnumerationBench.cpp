// Listing every value of a key with RegEnumValueW, index by index, as callers walk a key:
// 1,000, 10,000 and 100,000 values. The time per value must stay flat as the key grows (the
// registry continues from where the last call on the handle stopped).
//
// The keys are filled in one transaction straight through the hive's database before anything
// is timed; the listing goes through the registry functions. Sub-keys are walked the same way
// (RegEnumKeyExW over as many sub-keys). The hive lives in a fresh folder below $TMPDIR.

#include "bench/benchSandbox.h"
#include "bench/passTimeReporter.h"
#include "platform/registryDatabase.h"
#include "platform/registryHiveFile.h"
#include "platform/wideText.h"
#include <reZevavEvadurov/registry.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace
{

using namespace registryStore;

constexpr long sizes[] = {1000, 10000, 100000};

std::u16string keyFor(long count)
{
    return u"List" + wideText::fromUnsigned(static_cast<unsigned long long>(count));
}

void fail(const char* what, long code)
{
    std::fprintf(stderr, "%s failed: %ld\n", what, code);
    std::exit(1);
}

// Software\List<n> with n values and n sub-keys, for each size.
void fillHive()
{
    const std::string path = registryHiveLocation::path(HKEY_CURRENT_USER);
    const hiveLayout& layout = *registryHiveLocation::layout(HKEY_CURRENT_USER);
    if (const DWORD rc = registryHiveFile::create(path, layout); rc != 0)
    {
        fail("create hive", rc);
    }
    std::unique_ptr<registryDatabase> db;
    if (const DWORD rc = registryDatabase::open(path, layout, db); rc != 0)
    {
        fail("open hive", rc);
    }
    db->beginWrite();
    const DWORD data = 42;
    const std::span<const BYTE> bytes(reinterpret_cast<const BYTE*>(&data), sizeof data);
    for (const long count : sizes)
    {
        keyId key = 0;
        db->createKey(2 /* Software */, registryName(keyFor(count)), key);
        for (long i = 0; i < count; ++i)
        {
            const std::u16string name = u"value" + wideText::fromUnsigned(i);
            keyId sub = 0;
            if (db->setValue(key, registryName(name), REG_DWORD, bytes) != 0 ||
                db->createKey(key, registryName(u"key" + wideText::fromUnsigned(i)), sub) != 0)
            {
                fail("fill", i);
            }
        }
    }
    if (const DWORD rc = db->commit(); rc != 0)
    {
        fail("commit", rc);
    }
    db->checkpoint();
}

template <bool values> void listKey(benchmark::State& state, long count)
{
    const std::u16string path = u"Software\\" + keyFor(count);
    for (auto _ : state)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != 0)
        {
            fail("open", 0);
        }
        long listed = 0;
        for (DWORD i = 0;; ++i)
        {
            WCHAR name[32];
            DWORD chars = 32;
            DWORD value = 0;
            DWORD size = sizeof value;
            const LSTATUS rc =
                values ? RegEnumValueW(key, i, name, &chars, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&value), &size)
                       : RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
            if (rc != 0)
            {
                break;
            }
            ++listed;
        }
        RegCloseKey(key);
        if (listed != count)
        {
            fail("listed", listed);
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The console table, then the time per entry at each size: flat means linear growth.
class perEntryReporter : public passTimeReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const char* kind : {"values", "subKeys"})
        {
            for (const long count : sizes)
            {
                const std::string label = std::string(kind) + "/" + std::to_string(count);
                if (const auto us = timeOf(label))
                {
                    std::printf("%-8s %7ld entries  %10.1f us  %7.3f us per entry\n", kind, count,
                                *us, *us / static_cast<double>(count));
                }
            }
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const benchSandbox sandbox("registryEnumeration");
    fillHive();
    for (const long count : sizes)
    {
        using lister = void (*)(benchmark::State&, long);
        const std::pair<const char*, lister> kinds[] = {{"values", listKey<true>},
                                                        {"subKeys", listKey<false>}};
        for (const auto& [kind, list] : kinds)
        {
            std::string name = kind; // appended, not added: g++ 12 misreads literal + string
            name += '/';
            name += std::to_string(count);
            benchmark::RegisterBenchmark(name.c_str(), list, count)->Unit(benchmark::kMicrosecond);
        }
    }
    perEntryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
