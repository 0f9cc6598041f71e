#include "support/logFile.h"
#include "support/logFileState.h"
#include "support/stubSyncLock.h"
#include "tests/support/logFileFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace
{

// Numbers are process-wide and never reused within a run; each test starts from empty maps
// so that it can name exact numbers.
class logFileNamesTest : public logFileFixture
{
protected:
    void SetUp() override
    {
        logFileFixture::SetUp();
        for (auto [lock, map] :
             {std::pair{&logFileState::functionNameMapLock, &logFileState::functionNameMap},
              std::pair{&logFileState::fileNameMapLock, &logFileState::fileNameMap}})
        {
            const stubSyncLock guard(lock, TRUE);
            map->RemoveAll();
        }
    }

    static std::u16string functionToken(const WCHAR* name)
    {
        WCHAR token[nameTokenCapacity];
        makeFunctionNameToken(name, token);
        return token;
    }

    static std::u16string fileToken(const WCHAR* name)
    {
        WCHAR token[nameTokenCapacity];
        makeFileNameMapToken(name, token);
        return token;
    }
};

TEST_F(logFileNamesTest, FunctionNamesAreNumberedFromOne)
{
    EXPECT_EQ(functionToken(u"operator new"), u"Function_0x00000001");
    EXPECT_EQ(functionToken(u"malloc"), u"Function_0x00000002");
    EXPECT_EQ(functionToken(u"operator new"), u"Function_0x00000001");
    EXPECT_EQ(functionToken(u"Malloc"), u"Function_0x00000003") << "names are case-sensitive";
}

TEST_F(logFileNamesTest, FileNamesHaveTheirOwnNumbers)
{
    EXPECT_EQ(functionToken(u"f"), u"Function_0x00000001");
    EXPECT_EQ(fileToken(u"main.cpp"), u"FilenameMap_0x00000001");
    EXPECT_EQ(fileToken(u"f"), u"FilenameMap_0x00000002");
}

TEST_F(logFileNamesTest, TokensFillAnyCallersBufferAndNullBuffersStillNumber)
{
    WCHAR wide[64];
    std::fill(std::begin(wide), std::end(wide), u'#');
    makeFileNameMapToken(u"a.cpp", wide);
    EXPECT_EQ(std::u16string(wide), u"FilenameMap_0x00000001");
    EXPECT_EQ(wide[23], u'#') << "nothing past the terminator";

    makeFunctionNameToken(u"skipped", nullptr);
    std::u16string heapBuffer(nameTokenCapacity, u'#');
    makeFunctionNameToken(u"next", heapBuffer.data());
    EXPECT_EQ(std::u16string(heapBuffer.c_str()), u"Function_0x00000002");
}

TEST_F(logFileNamesTest, WritesTheTokenWithTheEightBitWriter)
{
    traceLocks(true);
    writeFunctionNameToLogFile(logPath("names.txt"), u"alpha");
    writeFunctionNameToLogFile(logPath("names.txt"), "beta");
    writeFunctionNameToLogFile(logPath("names.txt"), "alpha");
    writeFileNameToLogFile(logPath("names.txt"), u"alpha");
    EXPECT_EQ(contentOf("names.txt"),
              "Function_0x00000001Function_0x00000002Function_0x00000001Filename_0x00000001");
    const std::string one = lockTrace("logFile::writeToLogFile 2()");
    EXPECT_EQ(traces(), one + one + one + one) << "the map locks carry no label";
}

TEST_F(logFileNamesTest, NumberingGoesOnWhileLoggingIsOff)
{
    setLoggingEnabled(0);
    writeFunctionNameToLogFile(logPath("off.txt"), u"first");
    EXPECT_FALSE(exists("off.txt"));
    setLoggingEnabled(1);
    writeFunctionNameToLogFile(logPath("on.txt"), u"second");
    EXPECT_EQ(contentOf("on.txt"), "Function_0x00000002");
}

TEST_F(logFileNamesTest, NullNamesAreNotNumbered)
{
    writeFunctionNameToLogFile(logPath("null.txt"), static_cast<const WCHAR*>(nullptr));
    writeFunctionNameToLogFile(logPath("null.txt"), static_cast<const char*>(nullptr));
    writeFileNameToLogFile(logPath("null.txt"), nullptr);
    EXPECT_FALSE(exists("null.txt"));
    EXPECT_EQ(functionToken(nullptr), u"");
    EXPECT_EQ(fileToken(nullptr), u"");
    EXPECT_EQ(functionToken(u"g"), u"Function_0x00000001");
}

} // namespace
