#include "app/debugSettingsPass.h"

#include "platform/wideText.h"
#include "tests/app/expectedCatalogue.h"
#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Records which store operation each row went through, with its log file, and passes the
// call on (here to a store without a key, so every call fails).
class recordingStore : public readWriteSettingsToRegistry
{
public:
    struct call
    {
        std::string operation;
        std::string name;
        const WCHAR* logFileName;
    };
    std::vector<call> calls;

    int readDword(const WCHAR* name, DWORD& value) override
    {
        return record("readDword", name, nullptr,
                      readWriteSettingsToRegistry::readDword(name, value));
    }
    int readUInt(const WCHAR* name, unsigned int& value) override
    {
        return record("readUInt", name, nullptr,
                      readWriteSettingsToRegistry::readUInt(name, value));
    }
    int readChar(const WCHAR* name, char& value) override
    {
        return record("readChar", name, nullptr,
                      readWriteSettingsToRegistry::readChar(name, value));
    }
    int readString(const WCHAR* name, stubString& value) override
    {
        return record("readString", name, nullptr,
                      readWriteSettingsToRegistry::readString(name, value));
    }
    int writeDword(const WCHAR* log, const WCHAR* name, const DWORD& value) override
    {
        return record("writeDword", name, log,
                      readWriteSettingsToRegistry::writeDword(log, name, value));
    }
    int writeUInt(const WCHAR* log, const WCHAR* name, const unsigned int& value) override
    {
        return record("writeUInt", name, log,
                      readWriteSettingsToRegistry::writeUInt(log, name, value));
    }
    int writeChar(const WCHAR* log, const WCHAR* name, const char& value) override
    {
        return record("writeChar", name, log,
                      readWriteSettingsToRegistry::writeChar(log, name, value));
    }
    int writeString(const WCHAR* log, const WCHAR* name, const stubString& value) override
    {
        return record("writeString", name, log,
                      readWriteSettingsToRegistry::writeString(log, name, value));
    }

private:
    int record(const char* operation, const WCHAR* name, const WCHAR* log, int result)
    {
        calls.push_back({operation, wideText::toUtf8(name), log});
        return result;
    }
};

// The operation pair each kind of row goes through.
std::string operationOf(const expectedSetting& row)
{
    if (row.kind == settingKind::Selection || wideText::toUtf8(row.valueName) == "debugBreakpoint")
    {
        return "Dword";
    }
    switch (row.kind)
    {
    case settingKind::ByteSwitch:
        return "Char";
    case settingKind::String:
        return "String";
    default:
        return "UInt";
    }
}

TEST(debugSettingsPassRows, EveryRowGoesThroughItsKindsOperationsInCatalogueOrder)
{
    const WCHAR* const logFile = u"/ui/log.txt";
    debugSettingsValues values = debugSettingsValues::startValues(u"");
    recordingStore reads;
    EXPECT_EQ(debugSettingsPass::readRows(reads, values), 0);
    recordingStore writes;
    EXPECT_EQ(debugSettingsPass::writeRows(writes, logFile, values), 0);
    ASSERT_EQ(reads.calls.size(), expectedCatalogue.size());
    ASSERT_EQ(writes.calls.size(), expectedCatalogue.size());
    for (std::size_t i = 0; i < expectedCatalogue.size(); ++i)
    {
        const expectedSetting& row = expectedCatalogue[i];
        const std::string name = wideText::toUtf8(row.valueName);
        EXPECT_EQ(reads.calls[i].operation, "read" + operationOf(row)) << name;
        EXPECT_EQ(reads.calls[i].name, name);
        EXPECT_EQ(writes.calls[i].operation, "write" + operationOf(row)) << name;
        EXPECT_EQ(writes.calls[i].name, name);
        EXPECT_EQ(writes.calls[i].logFileName, logFile) << name;
    }
}
} // namespace
