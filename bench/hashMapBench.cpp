// Insert and lookup costs of the string-keyed hashMap on the private heap, at sizes the
// settings store meets (a few dozen names) and far beyond (the table never rehashes, so long
// chains show up here).

#include "support/hashMap.h"
#include "support/stubHeap.h"
#include <reZevavEvadurov/stubString.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{

using pairMap = hashMap<stubString, const WCHAR*, DWORD, DWORD>;

std::vector<std::u16string> makeKeys(int count)
{
    std::vector<std::u16string> keys;
    keys.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        std::u16string key = u"[dll]SS";
        for (const char digit : std::to_string(i))
        {
            key += static_cast<char16_t>(digit);
        }
        keys.push_back(key);
    }
    return keys;
}

void insertKeys(benchmark::State& state)
{
    createStubHeap();
    const std::vector<std::u16string> keys = makeKeys(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        pairMap map(10);
        DWORD n = 0;
        for (const std::u16string& key : keys)
        {
            map.SetAt(key.c_str(), n++);
        }
        benchmark::DoNotOptimize(map.GetCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void lookupKeys(benchmark::State& state)
{
    createStubHeap();
    const std::vector<std::u16string> keys = makeKeys(static_cast<int>(state.range(0)));
    pairMap map(10);
    DWORD n = 0;
    for (const std::u16string& key : keys)
    {
        map.SetAt(key.c_str(), n++);
    }
    for (auto _ : state)
    {
        DWORD sum = 0;
        for (const std::u16string& key : keys)
        {
            DWORD value = 0;
            map.Lookup(key.c_str(), value);
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same with a bucket array sized for the keys, as a caller expecting many would ask for.
void insertKeysPresized(benchmark::State& state)
{
    createStubHeap();
    const std::vector<std::u16string> keys = makeKeys(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        pairMap map(64);
        map.InitHashTable(static_cast<UINT>(state.range(0)) | 1u, FALSE);
        DWORD n = 0;
        for (const std::u16string& key : keys)
        {
            map.SetAt(key.c_str(), n++);
        }
        benchmark::DoNotOptimize(map.GetCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(insertKeys)->Arg(100)->Arg(10000);
BENCHMARK(lookupKeys)->Arg(100)->Arg(10000);
BENCHMARK(insertKeysPresized)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
