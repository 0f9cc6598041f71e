#include <reZevavEvadurov/event.h>
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{

TEST(eventTest, ZeroTimeoutOnlyTestsTheState)
{
    HANDLE const event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    ASSERT_NE(SetEvent(event), FALSE);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "manual reset stays signalled";
    ASSERT_NE(ResetEvent(event), FALSE);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_NE(CloseHandle(event), FALSE);
}

TEST(eventTest, AutoResetReleasesOneWaitPerSet)
{
    HANDLE const event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(eventTest, TimedWaitEndsWithTimeout)
{
    HANDLE const event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    CloseHandle(event);
}

TEST(eventTest, SetFromAnotherThreadWakesAnInfiniteWait)
{
    HANDLE const event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread setter(
        [event]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            SetEvent(event);
        });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(event);
}

TEST(eventTest, ClosedOrUnknownHandlesFail)
{
    HANDLE const event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(CloseHandle(event), FALSE);
    // A newer object never takes a closed handle's value, so nothing below reaches it.
    HANDLE const newer = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_NE(newer, event);

    SetLastError(0);
    EXPECT_EQ(CloseHandle(event), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(SetEvent(event), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(CloseHandle(INVALID_HANDLE_VALUE), FALSE);
    EXPECT_EQ(CloseHandle(nullptr), FALSE);
    EXPECT_EQ(WaitForSingleObject(newer, 0), WAIT_OBJECT_0);
    EXPECT_NE(CloseHandle(newer), FALSE);
}

TEST(eventTest, NamedEventsAreNotOffered)
{
    SetLastError(0);
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, u"name"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

} // namespace
