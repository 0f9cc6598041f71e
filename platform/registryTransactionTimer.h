#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Rolls back registry transactions at their time-out, so one that nobody touches any more lets
// go of its hive's write lock (writers of this process and of others wait on it otherwise).
//
// One thread for the process, started with the first transaction that has a time-out; it
// sleeps until the earliest time-out, then rolls that transaction back under the registry's
// lock. A transaction that ended first is only forgotten. A child of fork starts its own thread
// when it needs one. Thread-safe.

#include <memory>

namespace registryStore
{

class registryTransaction;

class registryTransactionTimer
{
public:
    // Rolls `transaction` back at its deadline unless it ended before; a null one is ignored.
    // Without a thread (none could be started) the time-out is still checked at each use.
    static void watch(const std::shared_ptr<registryTransaction>& transaction);
};

} // namespace registryStore

#pragma GCC visibility pop
