#include <reZevavEvadurov/registry.h>

#include "tests/platform/registryTestHelpers.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using registryTest::queryDword;
using registryTest::setDword;

namespace
{

class RegistryValueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Values", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                  0);
    }
    void TearDown() override
    {
        EXPECT_EQ(RegCloseKey(m_key), 0);
        EXPECT_EQ(regOpenHandleCount(), 0u);
    }

    LSTATUS set(const WCHAR* name, DWORD type, const std::vector<BYTE>& bytes)
    {
        return RegSetValueExW(m_key, name, 0, type, bytes.empty() ? nullptr : bytes.data(),
                              static_cast<DWORD>(bytes.size()));
    }

    std::vector<std::u16string> enumeratedNames()
    {
        std::vector<std::u16string> names;
        for (DWORD i = 0;; ++i)
        {
            WCHAR name[64];
            DWORD chars = 64;
            if (RegEnumValueW(m_key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != 0)
            {
                return names;
            }
            names.emplace_back(name, chars);
        }
    }

    HKEY m_key = nullptr;
};

std::vector<BYTE> bytesOf(std::u16string_view text)
{
    const auto* p = reinterpret_cast<const BYTE*>(text.data());
    return {p, p + text.size() * 2};
}

TEST_F(RegistryValueTest, KeepsTypeAndExactBytes)
{
    const std::vector<BYTE> two{0x34, 0x12};
    const std::vector<BYTE> eight{1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(set(u"word", REG_DWORD, two), 0);
    ASSERT_EQ(set(u"wide", REG_DWORD, eight), 0);
    ASSERT_EQ(set(u"empty", REG_BINARY, {}), 0);
    ASSERT_EQ(set(u"odd", REG_SZ, {'a', 0, 'b'}), 0);
    ASSERT_EQ(set(u"custom", 0x12345678, {9}), 0);

    struct expected
    {
        const WCHAR* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    for (const expected& e : {expected{u"word", REG_DWORD, two},
                              {u"wide", REG_DWORD, eight},
                              {u"empty", REG_BINARY, {}},
                              {u"odd", REG_SZ, {'a', 0, 'b'}},
                              {u"custom", 0x12345678, {9}}})
    {
        std::array<BYTE, 16> buffer;
        buffer.fill(0xAA);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(e.bytes.size()); // exactly enough, no room for more
        EXPECT_EQ(RegQueryValueExW(m_key, e.name, nullptr, &type, buffer.data(), &size), 0);
        EXPECT_EQ(type, e.type);
        EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + size), e.bytes);
        EXPECT_EQ(buffer[e.bytes.size()], 0xAA) << "nothing past the stored bytes";
    }
}

TEST_F(RegistryValueTest, TwoByteDwordFillsOnlyTwoBytesOfALargerBuffer)
{
    ASSERT_EQ(set(u"word", REG_DWORD, {0x34, 0x12}), 0);
    DWORD value = 0xAAAAAAAA;
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExW(m_key, u"word", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        0);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(value, 0xAAAA1234u);
}

TEST_F(RegistryValueTest, MissingValueLeavesTheBufferUntouched)
{
    DWORD type = 77;
    DWORD size = 4;
    DWORD value = 0xDEADBEEF;
    EXPECT_EQ(
        RegQueryValueExW(m_key, u"absent", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 0xDEADBEEFu);
    EXPECT_EQ(RegDeleteValueW(m_key, u"absent"), ERROR_FILE_NOT_FOUND);
    // A size query (no buffer) is answered with 0, as on Windows.
    EXPECT_EQ(RegQueryValueExW(m_key, u"absent", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, 77u);
}

TEST_F(RegistryValueTest, SmallBufferAnswersMoreDataWithNeededSizeAndLeavesBuffer)
{
    ASSERT_EQ(set(u"text", REG_SZ, bytesOf(std::u16string_view(u"hello", 6))), 0);
    std::array<BYTE, 8> buffer;
    buffer.fill(0x55);
    DWORD type = 0;
    DWORD size = 8;
    EXPECT_EQ(RegQueryValueExW(m_key, u"text", nullptr, &type, buffer.data(), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(type, REG_SZ);
    for (const BYTE b : buffer)
    {
        EXPECT_EQ(b, 0x55);
    }
}

TEST_F(RegistryValueTest, NullBufferGivesSizeAndType)
{
    ASSERT_EQ(setDword(m_key, u"n", 5), 0);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(m_key, u"n", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(RegQueryValueExW(m_key, u"n", nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(RegistryValueTest, RejectsBadArguments)
{
    ASSERT_EQ(setDword(m_key, u"n", 5), 0);
    BYTE buffer[4];
    DWORD reserved = 0;
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(m_key, u"n", nullptr, nullptr, buffer, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(m_key, u"n", &reserved, nullptr, buffer, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(m_key, u"n", 0, REG_BINARY, nullptr, 3), ERROR_NOACCESS);
    EXPECT_EQ(RegSetValueExW(m_key, u"n", 0, REG_BINARY, nullptr, 0), 0);
    EXPECT_EQ(RegQueryValueExW(m_key, u"n", nullptr, nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 0u) << "null data of size 0 stores an empty value";
}

TEST_F(RegistryValueTest, UnterminatedStringGetsTerminatorOnlyWhenThereIsRoom)
{
    ASSERT_EQ(set(u"s", REG_SZ, bytesOf(u"abc")), 0); // 6 bytes, no terminator
    std::array<BYTE, 10> buffer;
    buffer.fill(0xEE);
    DWORD size = 6;
    ASSERT_EQ(RegQueryValueExW(m_key, u"s", nullptr, nullptr, buffer.data(), &size), 0);
    EXPECT_EQ(buffer[6], 0xEE);

    size = 8;
    ASSERT_EQ(RegQueryValueExW(m_key, u"s", nullptr, nullptr, buffer.data(), &size), 0);
    EXPECT_EQ(size, 6u) << "the size stays the stored size";
    EXPECT_EQ(buffer[6], 0);
    EXPECT_EQ(buffer[7], 0);
    EXPECT_EQ(buffer[8], 0xEE);

    // Binary data is never terminated.
    ASSERT_EQ(set(u"b", REG_BINARY, {1, 2}), 0);
    buffer.fill(0xEE);
    size = 10;
    ASSERT_EQ(RegQueryValueExW(m_key, u"b", nullptr, nullptr, buffer.data(), &size), 0);
    EXPECT_EQ(buffer[2], 0xEE);
}

TEST_F(RegistryValueTest, NamesIgnoreCaseButKeepTheirFirstSpelling)
{
    ASSERT_EQ(setDword(m_key, u"debugHeap", 1), 0);
    ASSERT_EQ(setDword(m_key, u"DEBUGHEAP", 2), 0);
    DWORD value = 0;
    ASSERT_EQ(queryDword(m_key, u"DebugHeap", value), 0);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(enumeratedNames(), std::vector<std::u16string>{u"debugHeap"});
    EXPECT_EQ(RegDeleteValueW(m_key, u"DEBUGheap"), 0);
    EXPECT_TRUE(enumeratedNames().empty());
}

TEST_F(RegistryValueTest, FoldsNonAsciiLettersWithTheFixedTable)
{
    const std::pair<const WCHAR*, const WCHAR*> same[] = {
        {u"\u00e4\u00f6\u00fc\u00ff", u"\u00c4\u00d6\u00dc\u0178"}, // Latin-1
        {u"\u0142\u0151", u"\u0141\u0150"},                         // Latin Extended-A
        {u"\u03b1\u03c2\u03c3", u"\u0391\u03a3\u03a3"},             // Greek, final sigma
        {u"\u043f\u0440\u0438\u0432\u0435\u0442",
         u"\u041f\u0420\u0418\u0412\u0415\u0422"}, // Cyrillic
        {u"\u0451", u"\u0401"},
    };
    DWORD n = 0;
    for (const auto& [lower, upper] : same)
    {
        ASSERT_EQ(setDword(m_key, lower, ++n), 0);
        DWORD value = 0;
        EXPECT_EQ(queryDword(m_key, upper, value), 0);
        EXPECT_EQ(value, n);
    }
    // Letters that only look alike stay apart.
    ASSERT_EQ(setDword(m_key, u"e", 100), 0);
    ASSERT_EQ(setDword(m_key, u"SS", 101), 0);
    DWORD value = 0;
    EXPECT_EQ(queryDword(m_key, u"\u00e9", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(queryDword(m_key, u"\u00df", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(enumeratedNames().front(), u"\u00e4\u00f6\u00fc\u00ff");
}

TEST_F(RegistryValueTest, NullAndEmptyNameAreTheDefaultValue)
{
    ASSERT_EQ(setDword(m_key, nullptr, 7), 0);
    DWORD value = 0;
    ASSERT_EQ(queryDword(m_key, u"", value), 0);
    EXPECT_EQ(value, 7u);
}

TEST_F(RegistryValueTest, EnumeratesInCreationOrderAndReplacingKeepsThePlace)
{
    for (const WCHAR* name : {u"zeta", u"alpha", u"Mid", u"beta"})
    {
        ASSERT_EQ(setDword(m_key, name, 1), 0);
    }
    ASSERT_EQ(set(u"ALPHA", REG_SZ, bytesOf(std::u16string_view(u"x", 2))), 0);
    ASSERT_EQ(RegDeleteValueW(m_key, u"zeta"), 0);
    ASSERT_EQ(setDword(m_key, u"zeta", 2), 0);
    EXPECT_EQ(enumeratedNames(), (std::vector<std::u16string>{u"alpha", u"Mid", u"beta", u"zeta"}));

    DWORD type = 0;
    DWORD size = 0;
    WCHAR name[8];
    DWORD chars = 8;
    ASSERT_EQ(RegEnumValueW(m_key, 0, name, &chars, nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
    chars = 8;
    EXPECT_EQ(RegEnumValueW(m_key, 4, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryValueTest, EnumerationNeedsRoomForNameTerminatorAndData)
{
    ASSERT_EQ(set(u"abcd", REG_BINARY, {1, 2, 3}), 0);
    WCHAR name[8] = {u'#', u'#', u'#', u'#', u'#', u'#', u'#', u'#'};
    DWORD chars = 4; // room for the four characters but not the terminator
    DWORD type = 0;
    BYTE data[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    DWORD size = 4;
    EXPECT_EQ(RegEnumValueW(m_key, 0, name, &chars, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(chars, 4u);
    EXPECT_EQ(name[0], u'#');
    EXPECT_EQ(data[0], 0xCC);

    chars = 5;
    size = 2; // the name fits now, the data does not
    EXPECT_EQ(RegEnumValueW(m_key, 0, name, &chars, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data[0], 0xCC);

    chars = 5;
    size = 4;
    ASSERT_EQ(RegEnumValueW(m_key, 0, name, &chars, nullptr, &type, data, &size), 0);
    EXPECT_EQ(chars, 4u);
    EXPECT_EQ(std::u16string(name), u"abcd");
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(data[2], 3);
    EXPECT_EQ(data[3], 0xCC);
}

TEST_F(RegistryValueTest, EightBitFormsConvertNamesAndText)
{
    const char text[] = "h\xc3\xa9llo"; // "héllo", 7 bytes with the terminator
    ASSERT_EQ(RegSetValueExA(m_key, "\xc3\x9cml", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              0);
    // Stored as UTF-16, terminator included.
    WCHAR wide[8];
    DWORD size = sizeof wide;
    ASSERT_EQ(RegQueryValueExW(m_key, u"\u00fcML", nullptr, nullptr, reinterpret_cast<BYTE*>(wide),
                               &size),
              0);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(std::u16string(wide), u"h\u00e9llo");

    // Read back: the size is that of the 8-bit text.
    DWORD type = 0;
    size = 0;
    ASSERT_EQ(RegQueryValueExA(m_key, "\xc3\xbcml", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, REG_SZ);
    char narrow[8];
    std::memset(narrow, '#', sizeof narrow);
    size = 6;
    EXPECT_EQ(RegQueryValueExA(m_key, "\xc3\xbcml", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(narrow), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(narrow[0], '#');
    size = 8;
    ASSERT_EQ(RegQueryValueExA(m_key, "\xc3\xbcml", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(narrow), &size),
              0);
    EXPECT_EQ(size, 7u);
    EXPECT_STREQ(narrow, text);

    // Numbers pass through unconverted both ways.
    const DWORD number = 0x00C300A9;
    ASSERT_EQ(RegSetValueExA(m_key, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              0);
    DWORD back = 0;
    ASSERT_EQ(queryDword(m_key, u"n", back), 0);
    EXPECT_EQ(back, number);
}

TEST_F(RegistryValueTest, EightBitReadOfUnterminatedTextAddsTerminatorWhenThereIsRoom)
{
    ASSERT_EQ(set(u"s", REG_SZ, bytesOf(u"ab")), 0);
    char narrow[4] = {'#', '#', '#', '#'};
    DWORD size = 3;
    ASSERT_EQ(
        RegQueryValueExA(m_key, "s", nullptr, nullptr, reinterpret_cast<BYTE*>(narrow), &size), 0);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(narrow[2], 0);
    EXPECT_EQ(narrow[3], '#');
}

TEST_F(RegistryValueTest, HandleRightsAreChecked)
{
    ASSERT_EQ(setDword(m_key, u"v", 1), 0);
    HKEY readOnly = nullptr;
    HKEY setOnly = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Values", 0, KEY_READ, &readOnly), 0);
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Values", 0, KEY_SET_VALUE, &setOnly),
        0);
    DWORD value = 0;
    EXPECT_EQ(setDword(readOnly, u"v", 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(readOnly, u"v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(queryDword(readOnly, u"v", value), 0);
    EXPECT_EQ(value, 1u);

    EXPECT_EQ(queryDword(setOnly, u"v", value), ERROR_ACCESS_DENIED);
    WCHAR name[4];
    DWORD chars = 4;
    EXPECT_EQ(RegEnumValueW(setOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyExW(setOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(setDword(setOnly, u"v", 3), 0);
    EXPECT_EQ(RegCloseKey(readOnly), 0);
    EXPECT_EQ(RegCloseKey(setOnly), 0);
}

TEST_F(RegistryValueTest, ClosedOrUnknownHandlesAreInvalid)
{
    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m_key, nullptr, 0, KEY_READ, &other), 0);
    ASSERT_EQ(RegCloseKey(other), 0);
    DWORD value = 0;
    EXPECT_EQ(queryDword(other, u"v", value), ERROR_INVALID_HANDLE);
    EXPECT_EQ(setDword(other, u"v", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(other), ERROR_INVALID_HANDLE);
    const auto unknown = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x7777));
    EXPECT_EQ(queryDword(unknown, u"v", value), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    const auto localMachine =
        reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000002)));
    EXPECT_EQ(queryDword(localMachine, u"v", value), ERROR_INVALID_HANDLE);
}

} // namespace
