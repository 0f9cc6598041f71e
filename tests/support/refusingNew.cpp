#include "tests/support/refusingNew.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local long t_allowed = -1;
} // namespace

void refusingNew::failAfter(long allowed)
{
    t_allowed = allowed;
}

// Every ordinary form is replaced, so that each block is freed by the allocator that made it
// (a sanitizer's own forms would otherwise meet ours).
void* operator new(std::size_t size)
{
    if (t_allowed == 0)
    {
        throw std::bad_alloc();
    }
    if (t_allowed > 0)
    {
        --t_allowed;
    }
    void* const block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
    {
        throw std::bad_alloc();
    }
    return block;
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return ::operator new(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return ::operator new(size, tag);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
