#pragma once

// The ordinary C++ heap, made to refuse on request. This test binary replaces the global
// operator new, so that tests reach the out-of-memory paths of copies that live there (a
// stubString's text), as heapSetFailAfter does for the private heap. Only allocations of the
// thread that asked are counted and refused.

#include <new>

namespace refusingNew
{

// After `allowed` more allocations on this thread, operator new throws std::bad_alloc until
// the limit is lifted with a negative value.
void failAfter(long allowed);

// The result of `body` run with the limit `allowed` (lifted afterwards), or `thrown` when it
// let std::bad_alloc out. Tests check results after the call, where their own messages can be
// allocated.
template <class BODY, class RESULT> RESULT call(long allowed, const BODY& body, RESULT thrown)
{
    failAfter(allowed);
    RESULT result = thrown;
    try
    {
        result = body();
    }
    catch (const std::bad_alloc&)
    {
    }
    failAfter(-1);
    return result;
}

} // namespace refusingNew
