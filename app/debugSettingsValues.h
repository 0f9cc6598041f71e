#pragma once

// debugSettingsValues: one held value for every row of the debug settings catalogue, the
// plain model that a load pass fills and an Apply pass writes.
//
// `numbers[i]` belongs to catalogue row i: a switch's or a selection's 32-bit value, or the
// byte switch's byte (0-255); it is unused for the string row, whose text is `text`.
// A plain value type: copyable, no invariants beyond the size of `numbers`.

#include "app/debugSettingsCatalogue.h"
#include <reZevavEvadurov/stubString.h>

#include <vector>

struct debugSettingsValues
{
    std::vector<DWORD> numbers;
    stubString text;

    // The catalogue's start values; `directory` is the string row's start value (the
    // product's per-user data directory, which the caller looks up).
    static debugSettingsValues startValues(const WCHAR* directory)
    {
        debugSettingsValues values;
        for (const debugSetting& row : debugSettingsCatalogue::rows())
        {
            values.numbers.push_back(row.startValue);
        }
        values.text = directory;
        return values;
    }
};
