#include "support/logFile.h"
#include "platform/heap.h"
#include "support/logFileState.h"
#include "support/logStopwatch.h"
#include "support/stubHeap.h"
#include "tests/support/logFileFixture.h"
#include <reZevavEvadurov/stubString.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace
{

using logFileTest = logFileFixture;

// A static object of an ordinary translation unit, as the application object is: the log
// state must already be made when it is.
struct madeDuringStaticInitialisation
{
    madeDuringStaticInitialisation()
    {
        makeFunctionNameToken(u"made during static initialisation", token);
    }
    WCHAR token[nameTokenCapacity] = {};
} const staticUser;

HANDLE const someHeap = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0xBEEF));

struct recordCase
{
    const char* name;
    std::function<void(const WCHAR* file)> write;
    std::string bytes;
    const char* label;
    bool closes;
};

std::string hex32(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}

std::vector<recordCase> recordCases()
{
    const std::string stamped =
        "alloc 0x0000000000001234 timestamp:0x00000005 threadid:0x0000002a\r\n";
    const std::string heaped = "alloc 0x0000000000001234 heap:0x000000000000beef "
                               "timestamp:0x00000005 threadid:0x0000002a\r\n";
    const std::string paired =
        "alloc 0x0000000000001234 -> 0x0000000000005678 heap:0x000000000000beef "
        "timestamp:0x00000005 threadid:0x0000002a\r\n";
    using F = const WCHAR*;
    return {
        {"text", [](F f) { logFile::writeToLogFile(f, "abc"); }, "abc",
         "logFile::writeToLogFile 2()", false},
        {"decimal", [](F f) { logFile::writeToLogFile(f, -42); }, "-42\r\n",
         "logFile::writeToLogFile 3()", true},
        {"decimalMin", [](F f) { logFile::writeToLogFile(f, INT_MIN); }, "-2147483648\r\n",
         "logFile::writeToLogFile 3()", true},
        {"hex32", [](F f) { logFile::writeToLogFile(f, DWORD{0xABCD}); }, "0x0000abcd\r\n",
         "logFile::writeToLogFile 3()", false},
        {"hex64", [](F f) { logFile::writeToLogFile(f, ULONGLONG{0x1234}); },
         "0x0000000000001234\r\n", "logFile::writeToLogFile 4()", true},
        {"hex64Literal", [](F f) { logFile::writeToLogFile(f, 0xFEDCBA9876543210ull); },
         "0xfedcba9876543210\r\n", "logFile::writeToLogFile 4()", true},
        {"wide", [](F f) { logFile::writeToLogFile(f, u"h\u00e9\u0141"); },
         std::string("h\0\xE9\0\x41\x01", 6), "logFile::writeToLogFile 5()", false},
        {"strings", [](F f) { logFile::writeToLogFile(stubString(f), stubString(u"s")); },
         std::string("s\0", 2), "logFile::writeToLogFile 6()", false},
        {"textValue", [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234); },
         "alloc 0x0000000000001234\r\n", "logFile::writeToLogFile 7()", true},
        {"longTextValue",
         [](F f) { logFile::writeToLogFile(f, std::string(300, 'L').c_str(), 0x1234); },
         std::string(300, 'L') + " 0x0000000000001234\r\n", "logFile::writeToLogFile 7()", true},
        {"textValueOpen", [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234, FALSE); },
         "alloc 0x0000000000001234\r\n", "logFile::writeToLogFile 8()", false},
        {"textValueClose", [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234, TRUE); },
         "alloc 0x0000000000001234\r\n", "logFile::writeToLogFile 8()", true},
        {"wideTextValue", [](F f) { logFile::writeToLogFile(f, u"w\u0141", 0x1234, TRUE); },
         "wA 0x0000000000001234\r\n", "logFile::writeToLogFile 9()", true},
        {"stamped", [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234, 5, 42, TRUE); }, stamped,
         "logFile::writeToLogFile 10()", true},
        {"stampedOpen", [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234, 5, 42, FALSE); },
         stamped, "logFile::writeToLogFile 10()", false},
        {"heaped", [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234, someHeap, 5, 42, TRUE); },
         heaped, "logFile::writeToLogFile 10()", true},
        {"paired",
         [](F f) { logFile::writeToLogFile(f, "alloc", 0x1234, 0x5678, someHeap, 5, 42, FALSE); },
         paired, "logFile::writeToLogFile 10()", false},
        {"wideStamped", [](F f) { logFile::writeToLogFile(f, u"alloc", 0x1234, 5, 42, TRUE); },
         stamped, "logFile::writeToLogFile 11()", true},
        {"wideHeaped",
         [](F f) { logFile::writeToLogFile(f, u"alloc", 0x1234, someHeap, 5, 42, FALSE); }, heaped,
         "logFile::writeToLogFile 11()", false},
        {"widePaired",
         [](F f) { logFile::writeToLogFile(f, u"alloc", 0x1234, 0x5678, someHeap, 5, 42, TRUE); },
         paired, "logFile::writeToLogFile 11()", true},
        {"threadId", [](F f) { logFile::writeThreadId(f); }, hex32(GetCurrentThreadId()) + "\r\n",
         "logFile::writeThreadId()", false},
        {"indent", [](F f) { logFile::writeIndentToLogFile(f, 40); }, std::string(40, ' '),
         "logFile::writeIndentToLogFile()", true},
        {"fixed", [](F f) { logFile::writeToLogFileFixedLength(f, "abcdef", 4); }, "abcd",
         "logFile::writeToLogFileFixedLength()", true},
        {"bytes", [](F f) { logFile::writeToLogFileBytes(f, "a\0b", 3); }, std::string("a\0b", 3),
         "logFile::writeToLogFileBytes()", false},
        {"ansi", [](F f) { logFile::writeToLogFileANSI(f, u"x\u00e9\u20ac"); }, "x\xE9\xAC",
         "logFile::writeToLogFileANSI()", false},
        {"optimised8", [](F f) { logFile::optimisedOpenWriteClose(f, "opt"); }, "opt",
         "logFile::optimisedOpenWriteClose 1()", false},
        {"optimisedWide", [](F f) { logFile::optimisedOpenWriteClose(f, u"opt"); },
         std::string("o\0p\0t\0", 6), "logFile::optimisedOpenWriteClose 2()", false},
    };
}

TEST_F(logFileTest, EveryRecordHasItsBytesLabelAndClosing)
{
    for (const recordCase& c : recordCases())
    {
        SCOPED_TRACE(c.name);
        const std::string name = std::string(c.name) + ".txt";
        traceLocks(true);
        c.write(logPath(name));
        EXPECT_EQ(traces(), lockTrace(c.label));
        EXPECT_EQ(contentOf(name), c.bytes);
        EXPECT_EQ(openDescriptorsOn(name), c.closes ? 0 : 1);
    }
}

TEST(logFileStaticTest, LogStateIsMadeBeforeOrdinaryStaticObjects)
{
    EXPECT_EQ(std::u16string(staticUser.token), u"Function_0x00000001");
}

TEST_F(logFileTest, RecordsAreAppendedToAnExistingFile)
{
    std::ofstream(pathOf("old.txt"), std::ios::binary) << "before\r\n";
    logFile::writeToLogFile(logPath("old.txt"), "after", 1);
    EXPECT_EQ(contentOf("old.txt"), "before\r\nafter 0x0000000000000001\r\n");
}

TEST_F(logFileTest, NonClosingWritesShareOneHandleAndKeepOrder)
{
    const WCHAR* const file = logPath("shared.txt");
    logFile::writeToLogFile(file, "one ");
    logFile::writeToLogFile(file, u"t");
    logFile::writeToLogFile(file, "three");
    EXPECT_EQ(openDescriptorsOn("shared.txt"), 1);
    EXPECT_EQ(contentOf("shared.txt"), std::string("one t\0three", 11));
    logFile::writeToLogFile(file, 7);
    EXPECT_EQ(openDescriptorsOn("shared.txt"), 0);
    EXPECT_EQ(contentOf("shared.txt"), std::string("one t\0three7\r\n", 14));
}

TEST_F(logFileTest, NamingAnotherFileClosesTheOpenOne)
{
    logFile::writeToLogFile(logPath("first.txt"), "1");
    logFile::writeToLogFile(logPath("second.txt"), "2");
    EXPECT_EQ(openDescriptorsOn("first.txt"), 0);
    EXPECT_EQ(openDescriptorsOn("second.txt"), 1);
    EXPECT_EQ(contentOf("first.txt"), "1");
    EXPECT_EQ(contentOf("second.txt"), "2");
}

TEST_F(logFileTest, IndentZeroCreatesAnEmptyFile)
{
    logFile::writeIndentToLogFile(logPath("empty.txt"), 0);
    EXPECT_TRUE(exists("empty.txt"));
    EXPECT_EQ(contentOf("empty.txt"), "");
    EXPECT_EQ(openDescriptorsOn("empty.txt"), 0);
    logFile::writeToLogFileFixedLength(logPath("fixed0.txt"), "abc", 0);
    EXPECT_EQ(contentOf("fixed0.txt"), "");
}

TEST_F(logFileTest, DisabledWritesTouchNoFileAndTakeNoLock)
{
    setLoggingEnabled(0);
    EXPECT_EQ(isLoggingEnabled(), 0u);
    for (const recordCase& c : recordCases())
    {
        SCOPED_TRACE(c.name);
        const std::string name = std::string(c.name) + ".txt";
        traceLocks(true);
        c.write(logPath(name));
        EXPECT_FALSE(exists(name));
        // The two "3()" writes take the lock before they look at the switch.
        EXPECT_EQ(traces(),
                  std::string(c.label) == "logFile::writeToLogFile 3()" ? lockTrace(c.label) : "");
    }
}

TEST_F(logFileTest, DisablingDoesNotChangeAnOpenFile)
{
    logFile::writeToLogFile(logPath("kept.txt"), "kept");
    setLoggingEnabled(0);
    logFile::writeToLogFile(logPath("kept.txt"), DWORD{5});
    EXPECT_EQ(openDescriptorsOn("kept.txt"), 1);
    logFile::writeToLogFile(logPath("kept.txt"), 5);
    EXPECT_EQ(openDescriptorsOn("kept.txt"), 0) << "the closing \"3()\" write still closes";
    logFile::writeToLogFile(logPath("kept.txt"), "more");
    EXPECT_EQ(contentOf("kept.txt"), "kept");
}

TEST_F(logFileTest, WriteArrivingDuringAnotherIsDroppedBeforeTheLock)
{
    logFileState::writeInProgress = 1;
    traceLocks(true);
    for (const recordCase& c : recordCases())
    {
        SCOPED_TRACE(c.name);
        c.write(logPath(std::string("busy-") + c.name));
        EXPECT_FALSE(exists(std::string("busy-") + c.name));
    }
    writeSystemErrorToLogFile(logPath("busy-report"), 5, "c", "d");
    writeFunctionNameToLogFile(logPath("busy-name"), u"f");
    logFileState::writeInProgress = 0;
    EXPECT_FALSE(exists("busy-report"));
    EXPECT_FALSE(exists("busy-name"));
    EXPECT_EQ(traces(), "") << "not even the \"3()\" writes wait for the lock";
}

TEST_F(logFileTest, NameCopyRefusedSkipsTheRecordUntilMemoryReturns)
{
    logFile::writeToLogFile(logPath("first.txt"), "1");
    ASSERT_NE(logFileState::logHeap, nullptr);
    heapSetFailAfter(logFileState::logHeap, 0);
    logFile::writeToLogFile(logPath("refused.txt"), "lost");
    heapSetFailAfter(logFileState::logHeap, -1);
    EXPECT_FALSE(exists("refused.txt"));
    EXPECT_EQ(contentOf("first.txt"), "1") << "the old file is not written either";
    logFile::writeToLogFile(logPath("refused.txt"), "kept");
    EXPECT_EQ(contentOf("refused.txt"), "kept");
}

TEST_F(logFileTest, NullNamesAndTextsAreSkipped)
{
    logFile::writeToLogFile(nullptr, "nothing");
    logFile::writeToLogFile(logPath("nulls.txt"), static_cast<const char*>(nullptr));
    logFile::writeToLogFile(logPath("nulls.txt"), static_cast<const WCHAR*>(nullptr));
    logFile::writeToLogFileANSI(logPath("nulls.txt"), nullptr);
    logFile::writeToLogFileBytes(logPath("nulls.txt"), nullptr, 10);
    logFile::writeToLogFile(logPath("nulls.txt"), static_cast<const char*>(nullptr), 1, TRUE);
    EXPECT_EQ(contentOf("nulls.txt"), " 0x0000000000000001\r\n");
}

TEST_F(logFileTest, FailedOpenSkipsTheRecordAndTheNextWriteTriesAgain)
{
    logFile::writeToLogFile(logPath("later/log.txt"), "lost");
    std::filesystem::create_directory(pathOf("later"));
    logFile::writeToLogFile(logPath("later/log.txt"), "found");
    EXPECT_EQ(contentOf("later/log.txt"), "found");
}

// Other users may not rewrite a user's diagnostics: the umask decides, as for any new file.
TEST_F(logFileTest, NewLogFilesGetTheUmasksMode)
{
    for (const mode_t mask : {022, 077})
    {
        const std::string name = "mode-" + std::to_string(mask) + ".txt";
        const mode_t previous = ::umask(mask);
        logFile::writeIndentToLogFile(logPath(name), 1);
        ::umask(previous);
        struct stat info
        {
        };
        ASSERT_EQ(::stat(pathOf(name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask) << name;
    }
}

TEST_F(logFileTest, FlushTakesTheLockWhateverTheSwitch)
{
    logFile::writeToLogFile(logPath("flush.txt"), "data");
    setLoggingEnabled(0);
    traceLocks(true);
    logFile::flushFileBuffers();
    EXPECT_EQ(traces(), lockTrace("logFile::flushFileBuffers()"));
    EXPECT_EQ(contentOf("flush.txt"), "data");
}

TEST_F(logFileTest, LogHeapIsMadeOnFirstUseRegisteredAndDestroyable)
{
    destroyLogHeap();
    const int before = corHeaps::count();
    logFile::writeToLogFile(logPath("heap.txt"), "x");
    EXPECT_EQ(corHeaps::count(), before + 1);
    destroyLogHeap();
    EXPECT_EQ(corHeaps::count(), before);
    EXPECT_EQ(openDescriptorsOn("heap.txt"), 0) << "the name went with the heap";
    logFile::writeToLogFile(logPath("heap.txt"), "y");
    EXPECT_EQ(contentOf("heap.txt"), "xy");
}

TEST_F(logFileTest, CallersLastErrorSurvivesEveryOperation)
{
    const auto check = [](const char* what, const std::function<void()>& operation)
    {
        SetLastError(0xC0FFEE);
        operation();
        EXPECT_EQ(GetLastError(), 0xC0FFEEu) << what;
    };
    for (const recordCase& c : recordCases())
    {
        const WCHAR* const good = logPath(std::string("le-") + c.name);
        const WCHAR* const bad = logPath(std::string("missing/") + c.name);
        check(c.name, [&] { c.write(good); });
        check(c.name, [&] { c.write(bad); });
    }
    check("flush", [] { logFile::flushFileBuffers(); });
    check("destroyLogHeap", [] { destroyLogHeap(); });
    check("systemError8", [&] { writeSystemErrorToLogFile(logPath("se.txt"), 5, "c", "d"); });
    check("systemErrorW", [&] { writeSystemErrorToLogFile(logPath("se.txt"), 5, "c", u"d"); });
    check("functionName", [&] { writeFunctionNameToLogFile(logPath("n.txt"), u"f"); });
    check("functionName8", [&] { writeFunctionNameToLogFile(logPath("n.txt"), "f"); });
    check("fileName", [&] { writeFileNameToLogFile(logPath("n.txt"), u"f"); });
    check("stopwatch",
          [&]
          {
              setTimingLogFile(logPath("timing.txt"));
              logStopwatch watch("step");
              watch.finish();
              setTimingLogFile(nullptr);
          });
    WCHAR token[nameTokenCapacity];
    check("functionToken", [&] { makeFunctionNameToken(u"f", token); });
    check("fileToken", [&] { makeFileNameMapToken(u"f", token); });
}

} // namespace
