#pragma once

// debugSettingsPass: the rows of the debug settings catalogue read or written through a
// settings store, in catalogue order. The dialog's load and Apply passes (which open and close
// the settings locations) run these.
//
// Writes report failures to `logFileName` (null for none); a failed read or write does not
// stop the pass, and a row that cannot be read keeps the value held before. Not thread-safe:
// the dialog's thread alone.

#include "app/debugSettingsValues.h"
#include <reZevavEvadurov/readWriteSettings.h>

class debugSettingsPass
{
public:
    // Reads every row through `store`; returns how many rows were read.
    static int readRows(readWriteSettings& store, debugSettingsValues& values);
    // Writes every row through `store`; returns how many rows were written.
    static int writeRows(readWriteSettings& store, const WCHAR* logFileName,
                         const debugSettingsValues& values);
};
