#include "platform/errorText.h"
#include "platform/localMemory.h"
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr DWORD allocateFromSystem =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

std::u16string wideTextOf(DWORD code, DWORD flags = allocateFromSystem, DWORD language = neutral)
{
    WCHAR* text = nullptr;
    const DWORD length =
        FormatMessageW(flags, nullptr, code, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::u16string result = text != nullptr ? std::u16string(text, length) : u"<none>";
    EXPECT_EQ(LocalFree(text), nullptr);
    return result;
}

std::string textOf(DWORD code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(allocateFromSystem, nullptr, code, neutral,
                                        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = text != nullptr ? std::string(text, length) : "<none>";
    LocalFree(text);
    return result;
}

TEST(errorTextTest, SystemTextsAreWindowsOwnWithTheirLineEnd)
{
    EXPECT_EQ(wideTextOf(ERROR_ACCESS_DENIED), u"Access is denied.\r\n");
    EXPECT_EQ(wideTextOf(ERROR_FILE_NOT_FOUND), u"The system cannot find the file specified.\r\n");
    EXPECT_EQ(textOf(ERROR_PATH_NOT_FOUND), "The system cannot find the path specified.\r\n");
    EXPECT_EQ(textOf(ERROR_MORE_DATA), "More data is available.\r\n");
    EXPECT_EQ(textOf(ERROR_NO_MORE_ITEMS), "No more data is available.\r\n");
}

TEST(errorTextTest, EveryCodeTheLayerProducesHasItsOwnText)
{
    const DWORD codes[] = {ERROR_SUCCESS,
                           ERROR_INVALID_FUNCTION,
                           ERROR_FILE_NOT_FOUND,
                           ERROR_PATH_NOT_FOUND,
                           ERROR_TOO_MANY_OPEN_FILES,
                           ERROR_ACCESS_DENIED,
                           ERROR_INVALID_HANDLE,
                           ERROR_NOT_ENOUGH_MEMORY,
                           ERROR_INVALID_DATA,
                           ERROR_OUTOFMEMORY,
                           ERROR_WRITE_FAULT,
                           ERROR_READ_FAULT,
                           ERROR_SHARING_VIOLATION,
                           ERROR_NOT_SUPPORTED,
                           ERROR_FILE_EXISTS,
                           ERROR_INVALID_PARAMETER,
                           ERROR_DISK_FULL,
                           ERROR_INSUFFICIENT_BUFFER,
                           ERROR_INVALID_NAME,
                           ERROR_MOD_NOT_FOUND,
                           ERROR_PROC_NOT_FOUND,
                           ERROR_NEGATIVE_SEEK,
                           ERROR_BAD_PATHNAME,
                           ERROR_BUSY,
                           ERROR_ALREADY_EXISTS,
                           ERROR_FILENAME_EXCED_RANGE,
                           ERROR_FILE_TOO_LARGE,
                           ERROR_MORE_DATA,
                           WAIT_TIMEOUT,
                           ERROR_NO_MORE_ITEMS,
                           ERROR_DIRECTORY,
                           ERROR_NOACCESS,
                           ERROR_NOT_FOUND,
                           ERROR_BADDB,
                           ERROR_BADKEY,
                           ERROR_CANTOPEN,
                           ERROR_CANTREAD,
                           ERROR_CANTWRITE,
                           ERROR_REGISTRY_CORRUPT,
                           ERROR_REGISTRY_IO_FAILED,
                           ERROR_KEY_DELETED,
                           ERROR_RESOURCE_LANG_NOT_FOUND};
    for (const DWORD code : codes)
    {
        const std::string text = textOf(code);
        EXPECT_EQ(text.rfind("Unknown error", 0), std::string::npos) << code;
        ASSERT_GE(text.size(), 3u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
        EXPECT_EQ(wideTextOf(code), std::u16string(text.begin(), text.end())) << code;
    }
}

TEST(errorTextTest, UnknownCodeGetsAGenericTextNamingTheNumber)
{
    EXPECT_EQ(textOf(54321), "Unknown error 54321 (0x0000D431).\r\n");
    EXPECT_EQ(wideTextOf(0xFFFFFFFFu), u"Unknown error 4294967295 (0xFFFFFFFF).\r\n");
}

TEST(errorTextTest, CallerBufferMustHoldTextAndTerminator)
{
    const std::u16string expected = u"Access is denied.\r\n";
    WCHAR buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                             static_cast<DWORD>(expected.size()), nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(buffer[0], u'#');

    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                             static_cast<DWORD>(expected.size() + 1), nullptr),
              expected.size());
    EXPECT_EQ(std::u16string(buffer), expected);
}

TEST(errorTextTest, RefusesWhatItCannotDo)
{
    WCHAR* text = nullptr;
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(allocateFromSystem, nullptr, 5, MAKELANGID(0x07, SUBLANG_DEFAULT),
                             reinterpret_cast<LPWSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
    EXPECT_EQ(text, nullptr);

    SetLastError(0);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING, u"x", 0,
                             0, reinterpret_cast<LPWSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, nullptr, 100, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(errorTextTest, EnglishAndDefaultLanguagesAreAccepted)
{
    const std::u16string expected = u"Access is denied.\r\n";
    EXPECT_EQ(wideTextOf(5, allocateFromSystem, 0), expected);
    EXPECT_EQ(wideTextOf(5, allocateFromSystem, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT)),
              expected);
}

TEST(errorTextTest, MaximumWidthMaskDropsTheLineBreaks)
{
    EXPECT_EQ(wideTextOf(5, allocateFromSystem | FORMAT_MESSAGE_MAX_WIDTH_MASK),
              u"Access is denied.");
}

} // namespace
