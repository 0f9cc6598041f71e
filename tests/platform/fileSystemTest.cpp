#include "platform/fileSystem.h"
#include "platform/wideText.h"
#include "tests/platform/fileTestHelpers.h"
#include "tests/testsupport/testSandbox.h"
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

DWORD attributesOf(const fs::path& path)
{
    return GetFileAttributesW(wide(path).c_str());
}

void makeFile(const fs::path& path)
{
    std::ofstream(path) << "x";
}

using fileSystemTest = filesFolderTest;

TEST_F(fileSystemTest, AttributesFollowTheKindOfFile)
{
    fs::create_directory(m_root / "dir");
    makeFile(m_root / "plain.txt");
    ASSERT_EQ(::mkfifo((m_root / "pipe").c_str(), 0644), 0);

    EXPECT_EQ(attributesOf(m_root / "dir"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesOf(m_root / "dir/"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesOf(m_root / "plain.txt"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(attributesOf(m_root / "pipe"), FILE_ATTRIBUTE_DEVICE);
    EXPECT_EQ(attributesOf("/dev/null"), FILE_ATTRIBUTE_DEVICE);
}

TEST_F(fileSystemTest, ReadOnlyAndHiddenAreAddedToTheKind)
{
    makeFile(m_root / ".hidden");
    fs::create_directory(m_root / ".hiddenDir");
    makeFile(m_root / "locked");
    fs::permissions(m_root / "locked", fs::perms::owner_read | fs::perms::group_write);
    fs::create_directory(m_root / "lockedDir");
    fs::permissions(m_root / "lockedDir", fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_EQ(attributesOf(m_root / ".hidden"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(attributesOf(m_root / ".hiddenDir"),
              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesOf(m_root / "locked"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(attributesOf(m_root / "lockedDir"),
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    // "." and ".." name folders, not hidden files.
    EXPECT_EQ(attributesOf(m_root / "."), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesOf(m_root / "lockedDir" / ".."), FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(fileSystemTest, SymbolicLinksAreFollowedAndMarked)
{
    fs::create_directory(m_root / "dir");
    makeFile(m_root / "plain.txt");
    fs::create_symlink(m_root / "plain.txt", m_root / "toFile");
    fs::create_directory_symlink(m_root / "dir", m_root / "toDir");
    fs::create_symlink(m_root / "missing", m_root / "dangling");

    EXPECT_EQ(attributesOf(m_root / "toFile"),
              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(attributesOf(m_root / "toDir"),
              FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    SetLastError(0);
    EXPECT_EQ(attributesOf(m_root / "dangling"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(fileSystemTest, FailedQueriesTellAMissingFileFromAMissingFolder)
{
    makeFile(m_root / "plain.txt");
    struct failure
    {
        fs::path path;
        DWORD error;
    };
    const failure cases[] = {
        {m_root / "missing", ERROR_FILE_NOT_FOUND},
        {m_root / "missingDir" / "file", ERROR_PATH_NOT_FOUND},
        {m_root / "plain.txt" / "file", ERROR_PATH_NOT_FOUND},
        {m_root / "plain.txt/", ERROR_PATH_NOT_FOUND},
    };
    for (const failure& c : cases)
    {
        SetLastError(0);
        EXPECT_EQ(attributesOf(c.path), INVALID_FILE_ATTRIBUTES) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(u""), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
}

TEST_F(fileSystemTest, SuccessLeavesTheLastErrorAlone)
{
    SetLastError(1234);
    EXPECT_EQ(attributesOf(m_root), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(CreateDirectoryW(wide(m_root / "new").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(fileSystemTest, RelativePathsResolveAgainstTheCurrentFolder)
{
    makeFile(m_root / "here.txt");
    const fs::path previous = fs::current_path();
    fs::current_path(m_root);
    const DWORD attributes = GetFileAttributesW(u"here.txt");
    fs::current_path(previous);
    EXPECT_EQ(attributes, FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(fileSystemTest, CreateDirectoryMakesOneFolderWithTheUmask)
{
    const mode_t previous = ::umask(027);
    const BOOL created = CreateDirectoryW(wide(m_root / "made").c_str(), nullptr);
    ::umask(previous);
    ASSERT_TRUE(created);
    struct stat st
    {
    };
    ASSERT_EQ(::stat((m_root / "made").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0750u);

    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryW(wide(m_root / "made").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

    makeFile(m_root / "file");
    EXPECT_FALSE(CreateDirectoryW(wide(m_root / "file").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

    EXPECT_FALSE(CreateDirectoryW(wide(m_root / "a" / "b").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(m_root / "a"));

    EXPECT_FALSE(CreateDirectoryW(u"", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(fileSystemTest, DeleteFileRemovesFilesAndLinksOnly)
{
    makeFile(m_root / "plain.txt");
    fs::create_directory(m_root / "dir");
    fs::create_symlink(m_root / "plain.txt", m_root / "link");

    EXPECT_TRUE(DeleteFileW(wide(m_root / "link").c_str()));
    EXPECT_FALSE(fs::is_symlink(m_root / "link"));
    EXPECT_TRUE(fs::exists(m_root / "plain.txt"));

    EXPECT_TRUE(DeleteFileW(wide(m_root / "plain.txt").c_str()));
    EXPECT_FALSE(fs::exists(m_root / "plain.txt"));

    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(wide(m_root / "plain.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(wide(m_root / "nowhere" / "x").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    EXPECT_FALSE(DeleteFileW(wide(m_root / "dir").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_directory(m_root / "dir"));
}

TEST_F(fileSystemTest, DeleteFileRefusesAReadOnlyFile)
{
    makeFile(m_root / "locked");
    fs::permissions(m_root / "locked", fs::perms::owner_read);
    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(wide(m_root / "locked").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::exists(m_root / "locked"));
}

} // namespace
