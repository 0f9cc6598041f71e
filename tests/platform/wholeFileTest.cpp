#include "platform/wholeFile.h"

#include "platform/lastError.h"
#include "platform/wideText.h"
#include "tests/platform/fileTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
