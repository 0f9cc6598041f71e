// rzreg's tree walks on wide trees (one key with N sub-keys, a value in each) and deep ones
// (a chain of N nested keys, a value at each level), N = 1,000 and 10,000: query /s, copy /s,
// compare /s and export, in-process through runRzreg. items_per_second staying flat as N grows
// means the walk is linear in the tree; deep query and export print each key's full name, so
// their output (and time) grows with the square of the depth whatever the walk does. The trees
// are filled once, in one transaction, before anything is timed; the hive lives in a fresh
// folder below $TMPDIR.

#include "bench/benchSandbox.h"
#include "platform/wideText.h"
#include "tools/rzreg/rzreg.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr long sizes[] = {1000, 10000};

std::string treeName(bool deep, long count)
{
    return std::string("HKCU\\Software\\") + (deep ? "Deep" : "Wide") + std::to_string(count);
}

void check(LSTATUS status, const char* what)
{
    if (status != ERROR_SUCCESS)
    {
        std::fprintf(stderr, "%s failed: %ld\n", what, static_cast<long>(status));
        std::exit(1);
    }
}

void fill(bool deep, long count)
{
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY top = nullptr;
    const std::u16string name = wideText::fromUtf8(treeName(deep, count).substr(5));
    check(RegCreateKeyTransactedW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &top, nullptr, transaction, nullptr),
          "create");
    HKEY parent = top;
    const DWORD data = 42;
    for (long i = 0; i < count; ++i)
    {
        std::u16string child = u"k"; // appended: g++ 12 misreads literal + string at -O3
        child += wideText::fromUnsigned(deep ? 0 : static_cast<unsigned long long>(i));
        HKEY key = nullptr;
        check(RegCreateKeyExW(parent, child.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              "create");
        check(RegSetValueExW(key, u"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                             sizeof data),
              "set");
        if (!deep)
        {
            RegCloseKey(key);
            continue;
        }
        if (parent != top)
        {
            RegCloseKey(parent);
        }
        parent = key;
    }
    if (parent != top)
    {
        RegCloseKey(parent);
    }
    RegCloseKey(top);
    if (!CommitTransaction(transaction))
    {
        check(1, "commit");
    }
    CloseHandle(transaction);
}

void runCommand(benchmark::State& state, bool deep, const char* command)
{
    const long count = state.range(0);
    const std::string tree = treeName(deep, count);
    std::vector<std::u16string> args{wideText::fromUtf8(command), wideText::fromUtf8(tree)};
    const std::string op = command;
    const std::string copyName = tree + "Copy";
    const std::string file = std::string(std::getenv("XDG_CONFIG_HOME")) + "/walk.reg";
    if (op == "copy" || op == "compare")
    {
        args.push_back(wideText::fromUtf8(copyName));
        args.push_back(u"/s");
    }
    if (op == "copy")
    {
        args.push_back(u"/f");
    }
    if (op == "query")
    {
        args.push_back(u"/s");
    }
    if (op == "export")
    {
        args.push_back(wideText::fromUtf8(file));
        args.push_back(u"/y");
    }
    for (auto _ : state)
    {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in;
        rzregConsole console{out, err, in};
        const int status = runRzreg(args, console);
        if (status != 0)
        {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const benchSandbox sandbox("rzregWalk");
    for (const bool deep : {false, true})
    {
        for (const long count : sizes)
        {
            fill(deep, count);
            // compare needs the copy made first.
            for (const char* command : {"query", "copy", "compare", "export"})
            {
                std::string name = deep ? "deep/" : "wide/";
                name += command;
                benchmark::RegisterBenchmark(name.c_str(), runCommand, deep, command)
                    ->Arg(count)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
