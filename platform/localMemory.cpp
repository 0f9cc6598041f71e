#include "platform/localMemory.h"

#include <reZevavEvadurov/lastError.h>

#include <cstdlib>

namespace
{
constexpr UINT LMEM_MOVEABLE = 0x0002;
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if ((flags & LMEM_MOVEABLE) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // malloc(0) may answer null; Windows gives a valid zero-length block.
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    void* const block = (flags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
    if (block == nullptr)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return block;
}

HLOCAL LocalFree(HLOCAL block)
{
    std::free(block);
    return nullptr;
}
