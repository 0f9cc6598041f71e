#include "platform/wholeFile.h"

#include "platform/wideText.h"
#include "tests/platform/fileTestHelpers.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/lastError.h>

#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;

using namespace fileTest;

// Reads through a vector that the source sizes, counting the calls.
struct reading
{
    DWORD result = ERROR_SUCCESS;
    std::size_t size = 99;
    int calls = 0;
    std::vector<BYTE> buffer;
};

reading readAll(const fs::path& path, bool refuse = false)
{
    reading r;
    const wholeFile::bufferSource source = [&r, refuse](std::size_t size) -> void*
    {
        ++r.calls;
        if (refuse)
        {
            return nullptr;
        }
        r.buffer.resize(size);
        return r.buffer.data();
    };
    r.result = wholeFile::readWholeFile(wide(path).c_str(), source, r.size);
    return r;
}

int regularFilesIn(const fs::path& folder)
{
    int count = 0;
    for (const auto& item : fs::directory_iterator(folder))
    {
        count += item.is_regular_file() ? 1 : 0;
    }
    return count;
}

// Runs `body` in a child process and returns its exit code. Permission bits do not bind root,
// so a root test hands `owned` to the unprivileged user nobody and the child becomes nobody.
int asOrdinaryOwner(const std::vector<fs::path>& owned, const std::function<int()>& body)
{
    constexpr uid_t nobody = 65534;
    const bool root = ::geteuid() == 0;
    if (root)
    {
        fs::permissions(testsupport::sandboxRoot(), fs::perms::others_exec, fs::perm_options::add);
        for (const fs::path& path : owned)
        {
            EXPECT_EQ(::chown(path.c_str(), nobody, nobody), 0) << path;
        }
    }
    const pid_t child = ::fork();
    if (child == 0)
    {
        if (root &&
            (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
        {
            ::_exit(255);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The id of a process that has just ended.
std::string deadProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return std::to_string(child);
}

} // namespace

TEST(wholeFile, readsAWholeFileIntoTheSuppliedBuffer)
{
    const fs::path path = testsupport::sandboxRoot() / "data.bin";
    writeFile(path, std::string("abc\0def", 7));
    const reading r = readAll(path);
    ASSERT_EQ(r.result, ERROR_SUCCESS);
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(r.size, 7u);
    EXPECT_EQ(std::string(r.buffer.begin(), r.buffer.end()), std::string("abc\0def", 7));

    writeFile(path, "");
    const reading empty = readAll(path);
    EXPECT_EQ(empty.result, ERROR_SUCCESS);
    EXPECT_EQ(empty.size, 0u);
    EXPECT_EQ(empty.calls, 0);
}

TEST(wholeFile, readFailuresSayWhy)
{
    const fs::path root = testsupport::sandboxRoot();
    EXPECT_EQ(readAll(root / "missing.bin").result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(readAll(root / "no" / "missing.bin").result, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(readAll(root).result, ERROR_ACCESS_DENIED);

    const fs::path fifo = root / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readAll(fifo).result, ERROR_ACCESS_DENIED) << "and must not wait for a writer";

    const fs::path huge = root / "huge.bin";
    writeFile(huge, "");
    fs::resize_file(huge, wholeFile::maxSize + 1); // sparse
    const reading tooLarge = readAll(huge);
    EXPECT_EQ(tooLarge.result, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(tooLarge.calls, 0);

    writeFile(root / "data.bin", "abc");
    const reading refused = readAll(root / "data.bin", true);
    EXPECT_EQ(refused.result, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(refused.size, 0u);
}

TEST(wholeFile, replaceWritesANewFileOrReplacesAnOldOneKeepingItsMode)
{
    const fs::path path = testsupport::sandboxRoot() / "settings.bin";
    SetLastError(77);
    ASSERT_EQ(wholeFile::replaceFile(wide(path).c_str(), "new", 3), ERROR_SUCCESS);
    EXPECT_EQ(contentOf(path), "new");

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(wholeFile::replaceFile(wide(path).c_str(), "newer", 5), ERROR_SUCCESS);
    EXPECT_EQ(contentOf(path), "newer");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(wholeFile::replaceFile(wide(path).c_str(), nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(regularFilesIn(testsupport::sandboxRoot()), 1) << "no temporary file is left";
    EXPECT_EQ(GetLastError(), 77u);
}

TEST(wholeFile, replaceThroughALinkReplacesItsTarget)
{
    const fs::path target = testsupport::sandboxRoot() / "target.bin";
    const fs::path link = testsupport::sandboxRoot() / "link.bin";
    writeFile(target, "old");
    fs::create_symlink(target, link);
    ASSERT_EQ(wholeFile::replaceFile(wide(link).c_str(), "new", 3), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contentOf(target), "new");
}

TEST(wholeFile, failedReplaceLeavesEverythingAsItWas)
{
    const fs::path root = testsupport::sandboxRoot();
    EXPECT_EQ(wholeFile::replaceFile(wide(root / "no" / "x.bin").c_str(), "x", 1),
              ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(root / "no"));

    fs::create_directory(root / "folder");
    EXPECT_EQ(wholeFile::replaceFile(wide(root / "folder").c_str(), "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_directory(root / "folder"));
    EXPECT_EQ(regularFilesIn(root), 0);

    // Read-only as Windows' attribute makes it: refused for every caller, root included, also
    // through a link.
    const fs::path readOnly = root / "readonly.bin";
    writeFile(readOnly, "old");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(wholeFile::replaceFile(wide(readOnly).c_str(), "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(regularFilesIn(root), 1) << "no temporary file is left";
    fs::create_symlink(readOnly, root / "link.bin");
    EXPECT_EQ(wholeFile::replaceFile(wide(root / "link.bin").c_str(), "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(contentOf(readOnly), "old");

    EXPECT_EQ(wholeFile::replaceFile(nullptr, "x", 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wholeFile::replaceFile(wide(root / "y.bin").c_str(), nullptr, 1),
              ERROR_INVALID_PARAMETER);
}

TEST(wholeFile, aFolderThatCannotBeOpenedForItsFlushStillReportsTheReplacement)
{
    const fs::path folder = testsupport::sandboxRoot() / "writeOnly";
    const fs::path path = folder / "settings.bin";
    fs::create_directory(folder);
    writeFile(path, "old");
    fs::permissions(folder, fs::perms::owner_write | fs::perms::owner_exec); // 0300
    const int result = asOrdinaryOwner(
        {folder, path},
        [&path] { return static_cast<int>(wholeFile::replaceFile(wide(path).c_str(), "new", 3)); });
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(result, static_cast<int>(ERROR_SUCCESS));
    EXPECT_EQ(contentOf(path), "new");
    EXPECT_EQ(regularFilesIn(folder), 1) << "no temporary file is left";
}

TEST(wholeFile, replaceRemovesTemporaryFilesOnlyOfProcessesThatNoLongerRun)
{
    const fs::path root = testsupport::sandboxRoot();
    const std::string dead = deadProcessId();
    const std::string live = std::to_string(::getpid());
    struct leftOver
    {
        std::string name;
        bool removed;
    };
    const std::vector<leftOver> cases = {
        {"settings.bin.~" + dead + "-12345", true},
        {"settings.bin.~" + dead + "1234567890", true}, // an earlier version's name
        {"settings.bin.~" + live + "-12345", false},
        {"settings.bin.~" + live + "1234567890", false},
        {"settings.bin.~" + dead + "-12x", false},
        {"settings.bin.~0-12345", false},
        {"settings.bin.~-12345", false},
        {"settings.bin.~" + dead + "-", false},
        {"settings.bin~" + dead + "-12345", false},
        {"other.bin.~" + dead + "-12345", false},
    };
    for (const leftOver& c : cases)
    {
        writeFile(root / c.name, "partial");
    }
    fs::create_directory(root / ("settings.bin.~" + dead + "-1"));
    fs::create_symlink(root / "other.bin", root / ("settings.bin.~" + dead + "-2"));

    ASSERT_EQ(wholeFile::replaceFile(wide(root / "settings.bin").c_str(), "new", 3), ERROR_SUCCESS);
    for (const leftOver& c : cases)
    {
        EXPECT_EQ(fs::exists(root / c.name), !c.removed) << c.name;
    }
    EXPECT_TRUE(fs::is_directory(root / ("settings.bin.~" + dead + "-1")));
    EXPECT_TRUE(fs::is_symlink(root / ("settings.bin.~" + dead + "-2")));
    EXPECT_EQ(contentOf(root / "settings.bin"), "new");
}
