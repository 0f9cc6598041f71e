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

// The array and non-throwing forms of the standard library forward to these two.
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

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
