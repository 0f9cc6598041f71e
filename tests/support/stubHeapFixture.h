#pragma once

// Base fixture for tests of code that allocates from the support library's private heap.
// Makes sure the heap exists, clears any injected failure, and at the end checks that the
// test left no block behind on it.

#include "platform/heap.h"
#include "support/stubHeap.h"

#include <gtest/gtest.h>

class stubHeapFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        createStubHeap();
        ASSERT_NE(getStubHeap(), nullptr);
        heapSetFailAfter(getStubHeap(), -1);
        m_baseline = heapBlockCount(getStubHeap());
    }

    void TearDown() override
    {
        HANDLE const heap = getStubHeap();
        ASSERT_NE(heap, nullptr) << "a test must leave the private heap in place";
        heapSetFailAfter(heap, -1);
        EXPECT_EQ(heapBlockCount(heap), m_baseline) << "blocks left on the private heap";
    }

    // Blocks this test holds on the private heap.
    SIZE_T liveBlocks() const { return heapBlockCount(getStubHeap()) - m_baseline; }

    // After `allowed` more allocations the private heap refuses; negative lifts the limit.
    static void failAfter(long allowed) { heapSetFailAfter(getStubHeap(), allowed); }

    // Runs `body` with no private heap at all, then creates a fresh one. Only safe when nothing
    // else holds blocks on the heap, which is asserted first.
    template <class BODY> void withoutStubHeap(const BODY& body)
    {
        ASSERT_EQ(heapBlockCount(getStubHeap()), 0u) << "blocks would be lost";
        destroyStubHeap();
        ASSERT_EQ(getStubHeap(), nullptr);
        body();
        createStubHeap();
        ASSERT_NE(getStubHeap(), nullptr);
        m_baseline = 0;
    }

private:
    SIZE_T m_baseline = 0;
};
