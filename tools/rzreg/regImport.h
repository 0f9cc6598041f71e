#pragma once

// Carries out what a checked .reg file asks for, in file order: creates keys, sets and deletes
// values, deletes key trees. Deleting what is not there is no fault, as on Windows.
//
// Before anything is written, every hive the file touches is opened for writing, so a hive the
// caller may not change refuses the import whole (ERROR_ACCESS_DENIED) with nothing changed.
// Result: ERROR_SUCCESS, or the first failing call's code.

#include "tools/rzreg/regFile.h"

#include <vector>

LSTATUS applyImport(const std::vector<regFile::step>& steps);
