#include "platform/fileIo.h"
#include "platform/security.h"
#include "platform/wideText.h"
#include "tests/platform/fileTestHelpers.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;

using namespace fileTest;

// Descriptors of this process open on `path`.
int openDescriptorsOn(const fs::path& path)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
    {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == path)
        {
            ++count;
        }
    }
    return count;
}

HANDLE open(const fs::path& path, DWORD access, DWORD disposition,
            LPSECURITY_ATTRIBUTES security = nullptr)
{
    return CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, security,
                       disposition, 0x80, nullptr);
}

bool write(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok != FALSE && written == text.size();
}

using fileIoTest = filesFolderTest;

TEST_F(fileIoTest, CreateNewAndOpenExistingFollowWindows)
{
    const fs::path path = m_root / "log.txt";
    SetLastError(0);
    EXPECT_EQ(open(path, GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open(m_root / "missing" / "log.txt", GENERIC_WRITE, CREATE_NEW),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    HANDLE const created = open(path, GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(open(path, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

    HANDLE const existing = open(path, GENERIC_WRITE, OPEN_EXISTING);
    EXPECT_NE(existing, INVALID_HANDLE_VALUE);
    EXPECT_NE(CloseHandle(existing), FALSE);
    EXPECT_NE(CloseHandle(created), FALSE);
}

TEST_F(fileIoTest, AlwaysDispositionsTellWhetherTheFileWasThere)
{
    const fs::path path = m_root / "always.txt";
    SetLastError(1234);
    HANDLE first = open(path, GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    ASSERT_TRUE(write(first, "abc"));
    CloseHandle(first);

    HANDLE const again = open(path, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(again);
    EXPECT_EQ(contentOf(path), "") << "CREATE_ALWAYS truncates";
}

TEST_F(fileIoTest, PathsAreConvertedFromUtf16)
{
    const fs::path path = m_root / "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC.txt"; // "été €.txt"
    HANDLE const file = open(path, GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(fileIoTest, WritesGoWhereThePointerIsAndEndOfFileCuts)
{
    const fs::path path = m_root / "pointer.txt";
    std::ofstream(path) << "0123456789";
    HANDLE const file = open(path, GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 10u);
    ASSERT_TRUE(write(file, "ab"));
    EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_CURRENT), 8u);
    ASSERT_TRUE(write(file, "X"));
    EXPECT_NE(SetEndOfFile(file), FALSE);
    CloseHandle(file);
    EXPECT_EQ(contentOf(path), "01234567X");
}

TEST_F(fileIoTest, SetFilePointerRefusesToGoBeforeTheStart)
{
    const fs::path path = m_root / "seek.txt";
    HANDLE const file = open(path, GENERIC_WRITE, CREATE_NEW);
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);

    LONG high = 1; // 4 GiB + 5: needs the high part
    EXPECT_EQ(SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 1);
    CloseHandle(file);
}

TEST_F(fileIoTest, AppendOnlyHandleAlwaysWritesAtTheEnd)
{
    const fs::path path = m_root / "append.txt";
    HANDLE const appender = open(path, FILE_APPEND_DATA, CREATE_NEW);
    HANDLE const other = open(path, GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(appender, INVALID_HANDLE_VALUE);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(write(appender, "one "));
    SetFilePointer(other, 0, nullptr, FILE_END);
    ASSERT_TRUE(write(other, "two "));
    ASSERT_TRUE(write(appender, "three"));
    SetLastError(0);
    EXPECT_EQ(SetEndOfFile(appender), FALSE) << "cutting needs write access";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_NE(FlushFileBuffers(appender), FALSE);
    CloseHandle(other);
    CloseHandle(appender);
    EXPECT_EQ(contentOf(path), "one two three");
}

TEST_F(fileIoTest, NewFilesGetTheUmasksModeEvenWithANullAccessList)
{
    SECURITY_DESCRIPTOR descriptor{};
    ASSERT_NE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION), FALSE);
    ASSERT_NE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE), FALSE);
    SECURITY_ATTRIBUTES everyone{sizeof(SECURITY_ATTRIBUTES), &descriptor, FALSE};
    const auto permissionsOf = [](const fs::path& path)
    {
        struct stat info
        {
        };
        ::stat(path.c_str(), &info);
        return info.st_mode & 0777;
    };

    for (const mode_t mask : {022, 077, 002})
    {
        const std::string suffix = std::to_string(mask) + ".txt";
        const mode_t previous = ::umask(mask);
        HANDLE const open1 =
            open(m_root / ("everyone" + suffix), GENERIC_WRITE, CREATE_NEW, &everyone);
        HANDLE const open2 = open(m_root / ("default" + suffix), GENERIC_WRITE, CREATE_NEW);
        ::umask(previous);
        CloseHandle(open1);
        CloseHandle(open2);
        EXPECT_EQ(permissionsOf(m_root / ("everyone" + suffix)), 0666u & ~mask) << suffix;
        EXPECT_EQ(permissionsOf(m_root / ("default" + suffix)), 0666u & ~mask) << suffix;
    }
}

TEST_F(fileIoTest, AccessIsChecked)
{
    const fs::path path = m_root / "read.txt";
    std::ofstream(path) << "data";
    HANDLE const reader = open(path, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_FALSE(write(reader, "x"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FlushFileBuffers(reader), FALSE);
    CloseHandle(reader);

    SetLastError(0);
    EXPECT_EQ(open(m_root, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE) << "a folder";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(fileIoTest, CloseHandleReleasesTheDescriptor)
{
    const fs::path path = m_root / "closed.txt";
    HANDLE const file = open(path, GENERIC_WRITE, CREATE_NEW);
    EXPECT_EQ(openDescriptorsOn(path), 1);
    ASSERT_NE(CloseHandle(file), FALSE);
    EXPECT_EQ(openDescriptorsOn(path), 0);

    SetLastError(0);
    EXPECT_FALSE(write(file, "x"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
}

TEST_F(fileIoTest, BadArgumentsFail)
{
    SetLastError(0);
    EXPECT_EQ(CreateFileW(nullptr, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(open(m_root / "x", GENERIC_WRITE, 9), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    HANDLE const file = open(m_root / "null.txt", GENERIC_WRITE, CREATE_NEW);
    DWORD written = 7;
    EXPECT_EQ(WriteFile(file, nullptr, 3, &written, nullptr), FALSE);
    EXPECT_EQ(written, 0u);
    EXPECT_NE(WriteFile(file, nullptr, 0, &written, nullptr), FALSE);
    CloseHandle(file);
}

} // namespace
