// Costs of the diagnostic log writer: a record appended to the file it keeps open, a
// timestamped record that opens and closes the file each time, and the disabled writer,
// which is the only path the tool itself takes.

#include "platform/wideText.h"
#include "support/logFile.h"
#include "support/stubCriticalSection.h"
#include "support/stubSyncLock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

// A fresh folder for the log, removed at the end.
class benchFolder
{
public:
    benchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "logbench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
    }
    ~benchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    benchFolder(const benchFolder&) = delete;
    benchFolder& operator=(const benchFolder&) = delete;

    std::u16string file(const char* name) const
    {
        return wideText::fromUtf8((m_path / name).string());
    }

private:
    std::filesystem::path m_path;
};

void textRecordToOpenFile(benchmark::State& state)
{
    const benchFolder folder;
    const std::u16string file = folder.file("open.txt");
    setLoggingEnabled(1);
    for (auto _ : state)
    {
        logFile::writeToLogFile(file.c_str(), "alloc 0x0000000000001234 size 0x00000040\r\n");
    }
    logFile::writeIndentToLogFile(file.c_str(), 0); // closes
    setLoggingEnabled(0);
    state.SetBytesProcessed(state.iterations() * 42);
}
BENCHMARK(textRecordToOpenFile);

void timestampedClosingRecord(benchmark::State& state)
{
    const benchFolder folder;
    const std::u16string file = folder.file("closing.txt");
    setLoggingEnabled(1);
    DWORD timestamp = 0;
    for (auto _ : state)
    {
        logFile::writeToLogFile(file.c_str(), "alloc", 0x1234, ++timestamp, 42, TRUE);
    }
    setLoggingEnabled(0);
}
BENCHMARK(timestampedClosingRecord);

void timestampedRecordKeptOpen(benchmark::State& state)
{
    const benchFolder folder;
    const std::u16string file = folder.file("kept.txt");
    setLoggingEnabled(1);
    DWORD timestamp = 0;
    for (auto _ : state)
    {
        logFile::writeToLogFile(file.c_str(), "alloc", 0x1234, ++timestamp, 42, FALSE);
    }
    logFile::writeIndentToLogFile(file.c_str(), 0);
    setLoggingEnabled(0);
}
BENCHMARK(timestampedRecordKeptOpen);

void disabledWrite(benchmark::State& state)
{
    setLoggingEnabled(0);
    for (auto _ : state)
    {
        logFile::writeToLogFile(u"/nonexistent/never.txt", "alloc", 0x1234, 5, 42, TRUE);
    }
}
BENCHMARK(disabledWrite);

void disabledSystemErrorReport(benchmark::State& state)
{
    setLoggingEnabled(0);
    for (auto _ : state)
    {
        writeSystemErrorToLogFile(u"/nonexistent/never.txt", 5, "setting int value", u"debugHeap");
    }
}
BENCHMARK(disabledSystemErrorReport);

void untracedGuard(benchmark::State& state)
{
    stubCriticalSection section;
    for (auto _ : state)
    {
        const stubSyncLock guard(&section, TRUE, u"bench");
        benchmark::DoNotOptimize(&guard);
    }
}
BENCHMARK(untracedGuard);

} // namespace

BENCHMARK_MAIN();
