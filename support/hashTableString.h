#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// hashTableString: chained hash table from wide-string keys (copied into stubStrings) to
// pointer values, on the support library's private heap. It is the hashMap of stubString to
// void* and shares all its rules: 17 buckets, the string hash, head insertion without
// rehashing, iteration bucket 0 upwards, release of everything when the last key goes, and
// SetAt returning FALSE (table unchanged) when memory runs out.
// Not thread-safe. Not copyable.

#include "support/hashMap.h"
#include <reZevavEvadurov/stubString.h>

class hashTableString : public hashMap<stubString, const WCHAR*, void*, void*>
{
public:
    explicit hashTableString(int blockSize = 10);

    // Non-zero when present; `storedKey` then points at the table's own copy of the key,
    // valid until that key is removed. Untouched when absent.
    BOOL LookupKey(const WCHAR* key, const WCHAR*& storedKey) const;
};

#pragma GCC visibility pop
