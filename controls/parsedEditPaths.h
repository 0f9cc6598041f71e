#pragma once

// The file predicates of the validated edit control. Each asks GetFileAttributesW about the
// path exactly as given (relative paths resolve against the current folder, nothing is
// trimmed); a failed query counts as a path that does not exist. A null path is false.

#include <reZevavEvadurov/winTypes.h>

// True when the text contains "\" or "/".
bool PathHasSeparator(const WCHAR* text);

// True when the path names a folder (a link to one included).
bool IsExistingDirectory(const WCHAR* path);

// True when the path names a file that is neither a folder, a device, a link nor any of the
// system, temporary, sparse, offline, integrity-stream or virtual kinds. Read-only and hidden
// files qualify.
bool IsExistingPlainFile(const WCHAR* path);
