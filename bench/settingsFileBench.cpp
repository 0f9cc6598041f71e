// Save and load of the file-backed settings store at 1,000, 10,000 and 100,000 entries; the
// time per entry should stay flat (linear growth). The image-only cases leave out the disk
// and its flushes, which cost the same at every size.

#include "platform/wideText.h"
#include "settings/settingsFileFormat.h"
#include "settings/settingsFileHeap.h"
#include "settings/settingsFileImage.h"
#include <reZevavEvadurov/readWriteSettingsToFile.h>
#include <reZevavEvadurov/stubString.h>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory_resource>
#include <string>
#include <unistd.h>

namespace
{

// Half numbers, half short texts, as a settings file holds them. The names are written in
// their sorted order, as a store loaded from its file holds them.
void fill(readWriteSettingsToFile& store, int entries)
{
    const stubString text(u"C:/some/typical/path");
    for (int n = 0; n < entries; ++n)
    {
        const std::u16string digits = wideText::fromUnsigned(static_cast<unsigned>(n));
        const std::u16string name = u"setting" + std::u16string(6 - digits.size(), u'0') + digits;
        if (n % 2 == 0)
        {
            store.writeUInt(nullptr, name.c_str(), static_cast<unsigned>(n));
        }
        else
        {
            store.writeString(nullptr, name.c_str(), text);
        }
    }
}

std::u16string benchFile()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("rz-settings-bench-" + std::to_string(getpid()) + ".bin");
    return wideText::fromUtf8(path.string());
}

void BM_saveFile(benchmark::State& state)
{
    readWriteSettingsToFile store;
    fill(store, static_cast<int>(state.range(0)));
    const std::u16string path = benchFile();
    for (auto _ : state)
    {
        if (store.saveFile(path.c_str()) != 1)
        {
            state.SkipWithError("save failed");
        }
    }
    std::filesystem::remove(wideText::toUtf8(path));
    state.SetComplexityN(state.range(0));
}

void BM_loadFile(benchmark::State& state)
{
    const std::u16string path = benchFile();
    {
        readWriteSettingsToFile source;
        fill(source, static_cast<int>(state.range(0)));
        source.saveFile(path.c_str());
    }
    readWriteSettingsToFile store;
    for (auto _ : state)
    {
        if (store.loadFile(path.c_str()) != 1)
        {
            state.SkipWithError("load failed");
        }
    }
    std::filesystem::remove(wideText::toUtf8(path));
    state.SetComplexityN(state.range(0));
}

void BM_serializeImage(benchmark::State& state)
{
    readWriteSettingsToFile store;
    fill(store, static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        settingsFileHeap heap;
        settingsFileImage image(heap);
        benchmark::DoNotOptimize(settingsFileFormat::serialize(store.entries(), image));
    }
    state.SetComplexityN(state.range(0));
}

void BM_parseImage(benchmark::State& state)
{
    readWriteSettingsToFile store;
    fill(store, static_cast<int>(state.range(0)));
    settingsFileHeap heap;
    settingsFileImage image(heap);
    settingsFileFormat::serialize(store.entries(), image);
    std::pmr::unsynchronized_pool_resource pool;
    for (auto _ : state)
    {
        settingsEntryMap entries(&pool);
        benchmark::DoNotOptimize(settingsFileFormat::parse(image.data(), image.size(), entries));
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_saveFile)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_loadFile)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_serializeImage)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_parseImage)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
