#pragma once

// One registry value as the tool moves it around: its name ("" for the default value), its
// type and its bytes exactly as stored, whatever their size.

#include <reZevavEvadurov/winTypes.h>

#include <string>
#include <vector>

struct regValue
{
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> data;

    bool operator==(const regValue&) const = default;
};
