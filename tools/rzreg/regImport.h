#pragma once

// Carries out what a .reg file asks for, in file order: creates keys, sets and deletes values,
// deletes key trees. Deleting what is not there is no fault, as on Windows.
//
// The file is read again step by step (regFile::reader) rather than held as a list of steps,
// so an import needs little memory beyond the file's bytes; call it only on bytes that
// regFile::check accepted (a fault found now fails with ERROR_INVALID_DATA).
//
// Each hive the file touches gets one registry transaction, begun where the file first names
// that hive; nothing is committed before every step has succeeded, so a refused step (a hive
// the caller may not write, a standard key that cannot be deleted) or a process ended before
// the commits changes nothing. The commits then come one per hive, in the order the file first
// names the hives. Each hive is its own SQLite file, and two files cannot be committed as one:
// a process killed between the two commits, or a second commit that fails, leaves the first
// hive with all of its changes and the second with none.
// Result: ERROR_SUCCESS, or the first failing call's code, with `line` the 1-based line of the
// step that failed (0 when a commit failed).

#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <span>

LSTATUS applyImport(std::span<const BYTE> checkedFile, std::size_t& line);
