#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Common base of the support objects (sync objects, hash tables, maps). Objects created
// with `new` come from the private heap through the class-level operators and are released
// through the virtual destructor and the class-level operator delete. When the private heap
// refuses or does not exist, `new` throws std::bad_alloc and `new (std::nothrow)` gives null.
// Deleting after the private heap is gone abandons the block.

#include <cstddef>
#include <new>

class CQuorvaStubObject
{
public:
    CQuorvaStubObject() = default;
    virtual ~CQuorvaStubObject() = default;

    CQuorvaStubObject(const CQuorvaStubObject&) = default;
    CQuorvaStubObject& operator=(const CQuorvaStubObject&) = default;

    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* block) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;
};

#pragma GCC visibility pop
