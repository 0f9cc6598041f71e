#pragma once

// Carries out what a checked .reg file asks for, in file order: creates keys, sets and deletes
// values, deletes key trees. Deleting what is not there is no fault, as on Windows.
//
// All of it or nothing: each hive the file touches gets one registry transaction, committed
// only once every step has succeeded, so a refused step (a hive the caller may not write, a
// standard key that cannot be deleted) or a process ended part-way changes nothing.
// Result: ERROR_SUCCESS, or the first failing call's code.

#include "tools/rzreg/regFile.h"

#include <vector>

LSTATUS applyImport(const std::vector<regFile::step>& steps);
