#include "support/CQuorvaStubObject.h"

#include "support/stubHeap.h"

void* CQuorvaStubObject::operator new(std::size_t size)
{
    void* const block = corHeapAlloc(0, size);
    if (block == nullptr)
    {
        throw std::bad_alloc();
    }
    return block;
}

void* CQuorvaStubObject::operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return corHeapAlloc(0, size);
}

void CQuorvaStubObject::operator delete(void* block) noexcept
{
    corHeapFree(0, block);
}

void CQuorvaStubObject::operator delete(void* block, const std::nothrow_t&) noexcept
{
    corHeapFree(0, block);
}
