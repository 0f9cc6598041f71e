#pragma once

// The command line of rzreg, read with the rules of the Windows `reg` command: an operation,
// its key(s) or file, then options that start with "/" (compared without regard to case), each
// given once.

#include "tools/rzreg/regKeyPath.h"

#include <optional>
#include <string>
#include <vector>

struct rzregArguments
{
    enum class operation
    {
        none, // no operation named: general usage
        query,
        add,
        remove, // "delete"
        exportKey,
        importFile,
        copy,
        compare,
    };
    // What `compare` shows: /od (the default), /oa, /os, /on.
    enum class shown
    {
        differences,
        all,
        matches,
        nothing,
    };
    enum class fault
    {
        none,
        invalidSyntax,  // unknown option, missing or repeated argument, options that exclude
                        // each other
        invalidKeyName, // unknown root, remote machine, empty name inside the path
    };

    operation op = operation::none;
    fault problem = fault::none;
    bool help = false;    // "/?" or "--help"
    bool version = false; // "--version"

    regKeyPath key;
    regKeyPath target;                       // copy's and compare's second key
    std::optional<std::u16string> valueName; // /v NAME, or "" for /ve
    bool allValues = false;                  // /va
    bool recurse = false;                    // /s (query, copy, compare)
    bool force = false;                      // /f, or /y for export
    std::optional<std::u16string> type;      // /t
    std::optional<std::u16string> data;      // /d
    std::optional<std::u16string> separator; // add's /s: one character
    shown output = shown::differences;
    std::u16string file; // export's and import's file

    // The operation's name as usage lines show it ("QUERY"); empty for none.
    std::string operationName() const;

    static rzregArguments parse(const std::vector<std::u16string>& args);
};
