#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// CPersistStubStringArray: a CVector of stubString pointers that owns its strings. Each string
// is created with stubString's class-level operator new (private heap) and deleted with its
// operator delete by DeleteAll and the destructor.
//
// Elements may be null only when placed through the base class's SetAt; DeleteAll skips
// them. A pointer stored through the base class's SetAt or Add becomes owned by the array; a
// pointer it overwrites is not deleted.
// Failure: Add returns 7 and adds nothing (the new string is released) when the string, its
// text (C++ heap) or the block cannot be allocated; 4 on success. Add never throws.
// Not thread-safe: one thread at a time.

#include "support/CVector.h"
#include <reZevavEvadurov/stubString.h>

class CPersistStubStringArray : public CVector<stubString*>
{
public:
    CPersistStubStringArray() = default;
    ~CPersistStubStringArray() override { DeleteAll(); }

    // Appends a copy of `text`; a null text appends the empty string.
    int Add(const WCHAR* text);

    // Deletes every string, then releases the block; count and capacity 0.
    void DeleteAll();

    // Replaces the contents with copies of `other`'s strings in order (null stays null).
    // Copying from itself changes nothing. 1 on success; 0 when memory ran out, leaving the
    // strings copied so far.
    int Copy(const CVector<stubString*>& other);

    // Index of the first non-null string equal to `text` ignoring case (null matches the
    // empty string), or -1.
    int Find(const WCHAR* text) const;
    BOOL Contains(const WCHAR* text) const { return Find(text) != -1 ? TRUE : FALSE; }
};

#pragma GCC visibility pop
