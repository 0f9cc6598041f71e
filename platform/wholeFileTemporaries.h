#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The temporary files that wholeFile::replaceFile writes beside its target, and the removal of
// those a killed process left behind. Internal to the whole-file service; paths are native
// UTF-8 POSIX paths.
//
// A temporary file is named "<target>.~<pid>-<n>": the writing process's id, so that a later
// save can tell whether its writer still runs, and a random number. Files named
// "<target>.~<digits>" come from earlier versions, which wrote the id and the number with
// nothing between them.
// Thread-safety: both functions may run on any thread at once.

#include <string>

namespace wholeFile
{

// "<target>.~<this process's id>-<n>".
std::string temporaryName(const std::string& target, unsigned long n);

// Removes, in the folder of `target`, every regular file named as a temporary file of `target`
// whose writing process no longer exists. Kept: files of live processes, those whose writer
// cannot be told for sure (an earlier version's name is kept when any id it may begin with
// belongs to a live process), folders, links and every other name. Best effort: a file that
// cannot be removed stays, and nothing is reported.
// Limits: a process is looked up in this machine's process table (this PID namespace); a
// writer on another machine sharing the folder is not seen.
void removeAbandonedTemporaries(const std::string& target);

} // namespace wholeFile

#pragma GCC visibility pop
