#include "support/logStopwatch.h"
#include "tests/support/logFileFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

namespace
{

using logStopwatchTest = logFileFixture;

TEST_F(logStopwatchTest, WritesLabelsAndElapsedCount)
{
    setTimingLogFile(logPath("timing.txt"));
    logStopwatch watch("load", "settings");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    watch.finish();

    const std::string record = contentOf("timing.txt");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(record, match, std::regex("load settings 0x([0-9a-f]{16})\r\n")))
        << record;
    EXPECT_GE(std::stoull(match[1].str(), nullptr, 16), 2000000u) << "2 ms in nanosecond counts";
}

TEST_F(logStopwatchTest, FinishClearsTheLabels)
{
    setTimingLogFile(logPath("timing.txt"));
    logStopwatch watch("only");
    watch.finish();
    watch.finish();
    EXPECT_TRUE(std::regex_match(contentOf("timing.txt"),
                                 std::regex("only 0x[0-9a-f]{16}\r\n0x[0-9a-f]{16}\r\n")))
        << contentOf("timing.txt");
}

TEST_F(logStopwatchTest, NothingWithoutATimingFileOrWithLoggingOff)
{
    logStopwatch unset("a");
    unset.finish();
    setTimingLogFile(logPath("timing.txt"));
    setLoggingEnabled(0);
    logStopwatch off("b");
    off.finish();
    EXPECT_FALSE(exists("timing.txt"));
    EXPECT_NE(off.startCount(), 0);
}

} // namespace
