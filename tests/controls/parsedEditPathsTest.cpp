#include "controls/parsedEditPaths.h"

#include "platform/wideText.h"
#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;

TEST(PathHasSeparatorTest, EitherSlashCounts)
{
    EXPECT_TRUE(PathHasSeparator(u"a/b"));
    EXPECT_TRUE(PathHasSeparator(u"a\\b"));
    EXPECT_TRUE(PathHasSeparator(u"/"));
    EXPECT_TRUE(PathHasSeparator(u"name\\"));
    EXPECT_FALSE(PathHasSeparator(u"name.txt"));
    EXPECT_FALSE(PathHasSeparator(u""));
    EXPECT_FALSE(PathHasSeparator(nullptr));
}

class filePredicateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = testsupport::sandboxRoot() / "predicates";
        fs::create_directories(m_root / "dir");
        fs::create_directories(m_root / "x.exe");
        std::ofstream(m_root / "plain.txt") << "x";
        std::ofstream(m_root / ".hidden") << "x";
        std::ofstream(m_root / "readonly.txt") << "x";
        fs::permissions(m_root / "readonly.txt", fs::perms::owner_read);
        ASSERT_EQ(::mkfifo((m_root / "fifo").c_str(), 0644), 0);
        fs::create_symlink(m_root / "plain.txt", m_root / "linkToFile");
        fs::create_directory_symlink(m_root / "dir", m_root / "linkToDir");
        fs::create_symlink(m_root / "gone", m_root / "dangling");
    }

    std::u16string at(const std::string& name) const
    {
        return wideText::fromUtf8((m_root / name).string());
    }

    fs::path m_root;
};

TEST_F(filePredicateTest, Directories)
{
    EXPECT_TRUE(IsExistingDirectory(at("dir").c_str()));
    EXPECT_TRUE(IsExistingDirectory(at("x.exe").c_str()));
    EXPECT_TRUE(IsExistingDirectory(at("linkToDir").c_str()));
    for (const char* notDirectory :
         {"plain.txt", ".hidden", "readonly.txt", "fifo", "linkToFile", "dangling", "missing"})
    {
        EXPECT_FALSE(IsExistingDirectory(at(notDirectory).c_str())) << notDirectory;
    }
    EXPECT_FALSE(IsExistingDirectory(u""));
    EXPECT_FALSE(IsExistingDirectory(nullptr));
}

TEST_F(filePredicateTest, PlainFiles)
{
    for (const char* plain : {"plain.txt", ".hidden", "readonly.txt"})
    {
        EXPECT_TRUE(IsExistingPlainFile(at(plain).c_str())) << plain;
    }
    // A link is a reparse point, even when it leads to a plain file.
    for (const char* notPlain :
         {"dir", "x.exe", "fifo", "linkToFile", "linkToDir", "dangling", "missing"})
    {
        EXPECT_FALSE(IsExistingPlainFile(at(notPlain).c_str())) << notPlain;
    }
    EXPECT_FALSE(IsExistingPlainFile(u""));
    EXPECT_FALSE(IsExistingPlainFile(nullptr));
}

} // namespace
