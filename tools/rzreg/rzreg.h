#pragma once

// rzreg: the registry of platform/ on the command line, with the syntax, output and exit
// status of the Windows `reg` command (query, add, delete, export, import).
//
// Output is UTF-8 text with "\n" line ends; errors go to `err` as "ERROR: ..." lines. A
// question (overwrite? delete?) is asked on `out` and answered by a line of `in`: "y"/"yes"
// goes on, "n"/"no" or the end of input cancels. Result: the process's exit status, 0 on
// success and 1 on failure or cancellation.

#include <iosfwd>
#include <string>
#include <vector>

struct rzregConsole
{
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
};

// `args` are the arguments after the program's name.
int runRzreg(const std::vector<std::u16string>& args, rzregConsole& console);
