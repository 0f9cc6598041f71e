#pragma once

// debugSettingsPass: loading and Apply as loops over the debug settings catalogue, through a
// settings store on the product key that a settingsLocation opens.
//
// Every pass opens its location, lends the product key to a fresh registry store, reads or
// writes all rows in catalogue order, and closes every handle it opened before it returns,
// also when a step failed. Writes report failures to `logFileName` (null for none).
// Failure: a location that cannot be opened is skipped silently; a row that cannot be read
// keeps the value held before. Not thread-safe: the dialog's thread alone.

#include "app/debugSettingsValues.h"
#include "app/settingsLocation.h"
#include "settings/readWriteSettings.h"

class debugSettingsPass
{
public:
    struct applyResult
    {
        bool userWritten = false;           // every row reached the current user's key
        bool defaultProfileWritten = false; // every row reached the default profile's key
    };

    // Reads every row through `store`; returns how many rows were read.
    static int readRows(readWriteSettings& store, debugSettingsValues& values);
    // Writes every row through `store`; returns how many rows were written.
    static int writeRows(readWriteSettings& store, const WCHAR* logFileName,
                         const debugSettingsValues& values);

    // The load pass: the current user's key, read access. False when it could not be opened.
    static bool load(settingsLocation& location, debugSettingsValues& values);
    // Apply: the current user's key, then the default profile's, each with read-write access;
    // a failure at the first does not stop the second.
    static applyResult apply(settingsLocation& location, const WCHAR* logFileName,
                             const debugSettingsValues& values);
};
