#include "support/logFile.h"
#include "tests/support/logFileFixture.h"

#include <gtest/gtest.h>

namespace
{

using logSystemErrorTest = logFileFixture;

TEST_F(logSystemErrorTest, AccessDeniedReportInWideText)
{
    traceLocks(true);
    writeSystemErrorToLogFile(logPath("ui.txt"), 5, "setting int value", u"debugHeap");
    EXPECT_EQ(contentOf("ui.txt"),
              utf16le("Access is denied.\r\n : setting int value : debugHeap"));
    EXPECT_EQ(traces(), lockTrace("logFile::writeToLogFile 5()"));
    EXPECT_EQ(openDescriptorsOn("ui.txt"), 1) << "the report leaves the file open";
}

TEST_F(logSystemErrorTest, AccessDeniedReportInEightBitText)
{
    traceLocks(true);
    writeSystemErrorToLogFile(logPath("ui.txt"), 5, "setting string value", "debugHeap");
    EXPECT_EQ(contentOf("ui.txt"), "Access is denied.\r\n : setting string value : debugHeap");
    EXPECT_EQ(traces(), lockTrace("logFile::writeToLogFile 2()"));
}

TEST_F(logSystemErrorTest, WithoutDetailTheContextEndsTheReport)
{
    writeSystemErrorToLogFile(logPath("ui.txt"), 2, "deleting value",
                              static_cast<const char*>(nullptr));
    EXPECT_EQ(contentOf("ui.txt"),
              "The system cannot find the file specified.\r\n : deleting value");
    writeSystemErrorToLogFile(logPath("wide.txt"), 2, "deleting value",
                              static_cast<const WCHAR*>(nullptr));
    EXPECT_EQ(contentOf("wide.txt"),
              utf16le("The system cannot find the file specified.\r\n : deleting value"));
    writeSystemErrorToLogFile(logPath("plain.txt"), 3, "x", nullptr);
    EXPECT_EQ(contentOf("plain.txt"), "The system cannot find the path specified.\r\n : x");
}

TEST_F(logSystemErrorTest, WideFormWidensTheContextByteForByte)
{
    writeSystemErrorToLogFile(logPath("ui.txt"), 5, "ctx\xE9", u"\u20ac");
    const std::string expected = utf16le("Access is denied.\r\n : ctx") + std::string("\xE9\0", 2) +
                                 utf16le(" : ") + std::string("\xAC\x20", 2);
    EXPECT_EQ(contentOf("ui.txt"), expected);
}

TEST_F(logSystemErrorTest, UnknownCodeStillGetsAReport)
{
    writeSystemErrorToLogFile(logPath("ui.txt"), 54321, "context", "detail");
    EXPECT_EQ(contentOf("ui.txt"), "Unknown error 54321 (0x0000D431).\r\n : context : detail");
}

TEST_F(logSystemErrorTest, NothingForSuccessDisabledLoggingOrReportsOff)
{
    traceLocks(true);
    writeSystemErrorToLogFile(logPath("zero.txt"), 0, "setting int value", u"debugHeap");
    EXPECT_FALSE(exists("zero.txt"));

    setLogSystemErrors(0);
    writeSystemErrorToLogFile(logPath("off.txt"), 5, "setting int value", u"debugHeap");
    EXPECT_FALSE(exists("off.txt"));
    setLogSystemErrors(1);

    setLoggingEnabled(0);
    writeSystemErrorToLogFile(logPath("disabled.txt"), 5, "setting int value", "debugHeap");
    writeSystemErrorToLogFile(logPath("disabled.txt"), 5, "setting int value", u"debugHeap");
    EXPECT_FALSE(exists("disabled.txt"));
    EXPECT_EQ(traces(), "") << "no lock is taken";
}

TEST_F(logSystemErrorTest, OverlongReportIsCutToTheBuffer)
{
    const std::string context(5000, 'c');
    writeSystemErrorToLogFile(logPath("long8.txt"), 5, context.c_str(), "detail");
    const std::string start = "Access is denied.\r\n : ";
    EXPECT_EQ(contentOf("long8.txt"), start + std::string(2999 - start.size(), 'c'));

    writeSystemErrorToLogFile(logPath("longW.txt"), 5, context.c_str(), u"detail");
    EXPECT_EQ(contentOf("longW.txt"), utf16le(start + std::string(2999 - start.size(), 'c')));
}

} // namespace
