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

// Lifts the limit when the scope ends, also when a test assertion leaves it early.
class scope
{
public:
    explicit scope(long allowed) { failAfter(allowed); }
    ~scope() { failAfter(-1); }
    scope(const scope&) = delete;
    scope& operator=(const scope&) = delete;
};

// The result of `body` run with the limit `allowed`, or `thrown` when it let std::bad_alloc
// out. Tests check results outside the limit, where their own messages can be allocated.
template <class BODY, class RESULT> RESULT call(long allowed, const BODY& body, RESULT thrown)
{
    const scope refusing(allowed);
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return thrown;
    }
}

} // namespace refusingNew
