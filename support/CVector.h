#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// CVector: growable array of trivially copyable elements (pointers, numbers) in one block on
// the support library's private heap.
//
// Ownership: the vector owns its block, never what pointer elements point to.
// Growth: the first Add allocates the initial size (default 1) elements; each later Add on a
// full block reallocates to capacity + growth step (default 1) elements.
// Failure: Add returns 7 (and changes nothing) when the block cannot be allocated or grown,
// including when there is no private heap; 4 on success.
// Invalidation: growth may move the block; element addresses are not stable across Add.
// Slots between the old count and an index given to SetAt are zero-filled.
// Not thread-safe: one thread at a time. Not copyable (the block has one owner).

#include "support/stubHeap.h"
#include <reZevavEvadurov/winTypes.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

template <class TYPE> class CVector
{
    static_assert(std::is_trivially_copyable_v<TYPE>, "the block is moved by reallocation");

public:
    static constexpr int addSucceeded = 4;
    static constexpr int addOutOfMemory = 7;

    CVector() = default;
    virtual ~CVector() { RemoveAll(); }
    CVector(const CVector&) = delete;
    CVector& operator=(const CVector&) = delete;

    // 0 leaves the setting unchanged.
    void SetInitialSize(DWORD n)
    {
        if (n != 0)
        {
            m_initialSize = n;
        }
    }
    void SetGrowBy(DWORD n)
    {
        if (n != 0)
        {
            m_growBy = n;
        }
    }

    int Add(TYPE element)
    {
        if (m_elements == nullptr)
        {
            if (m_initialSize == 0)
            {
                m_initialSize = 1;
                m_growBy = 1;
            }
            void* const block = corHeapAlloc(0, bytesFor(m_initialSize));
            if (block == nullptr)
            {
                return addOutOfMemory;
            }
            m_elements = static_cast<TYPE*>(block);
            m_capacity = m_initialSize;
        }
        else if (m_count >= m_capacity)
        {
            const std::uint64_t wanted = std::uint64_t{m_capacity} + m_growBy;
            if (wanted > UINT32_MAX)
            {
                return addOutOfMemory;
            }
            void* const block = corHeapReAlloc(0, m_elements, bytesFor(wanted));
            if (block == nullptr)
            {
                return addOutOfMemory;
            }
            m_elements = static_cast<TYPE*>(block);
            m_capacity = static_cast<DWORD>(wanted);
        }
        m_elements[m_count] = element;
        ++m_count;
        return addSucceeded;
    }

    // A value-initialised element (null, 0) when index >= count.
    TYPE GetAt(DWORD index) const { return index < m_count ? m_elements[index] : TYPE{}; }

    // 0 when index >= capacity; otherwise stores, extends count to index + 1 and returns 1.
    int SetAt(DWORD index, TYPE element)
    {
        if (index >= m_capacity)
        {
            return 0;
        }
        if (index >= m_count)
        {
            for (DWORD i = m_count; i < index; ++i)
            {
                m_elements[i] = TYPE{};
            }
            m_count = index + 1;
        }
        m_elements[index] = element;
        return 1;
    }

    // Grows the block to `capacity` elements, keeping count and contents (a first block is
    // allocated at exactly that size); a capacity not above the current one changes nothing.
    // 1 on success, 0 when the block cannot be had (the vector is then unchanged).
    int GrowTo(DWORD capacity)
    {
        if (capacity <= m_capacity)
        {
            return 1;
        }
        void* const block = m_elements == nullptr
                                ? corHeapAlloc(0, bytesFor(capacity))
                                : corHeapReAlloc(0, m_elements, bytesFor(capacity));
        if (block == nullptr)
        {
            return 0;
        }
        m_elements = static_cast<TYPE*>(block);
        m_capacity = capacity;
        return 1;
    }

    DWORD GetCount() const { return m_count; }
    DWORD GetCapacity() const { return m_capacity; }
    DWORD GetInitialSize() const { return m_initialSize; }
    DWORD GetGrowBy() const { return m_growBy; }

    // Releases the block (abandoned when there is no private heap); count and capacity 0.
    void RemoveAll()
    {
        if (m_elements != nullptr && getStubHeap() != nullptr)
        {
            corHeapFree(0, m_elements);
        }
        m_elements = nullptr;
        m_count = 0;
        m_capacity = 0;
    }

protected:
    static SIZE_T bytesFor(std::uint64_t elements)
    {
        return static_cast<SIZE_T>(elements * sizeof(TYPE));
    }

    DWORD m_count = 0;
    TYPE* m_elements = nullptr;
    DWORD m_initialSize = 1;
    DWORD m_capacity = 0;
    DWORD m_growBy = 1;
};

#pragma GCC visibility pop
