// A save interrupted by SIGKILL or a full disk must leave the old file or the new one, whole.

#include <reZevavEvadurov/readWriteSettingsToFile.h>

#include "tests/settings/settingsFileTestSupport.h"
#include <reZevavEvadurov/stubString.h>

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace settingsFileTest;

namespace
{

class readWriteSettingsToFileCrashTest : public fileStoreFixture
{
};

// A store whose file is a few hundred kilobytes, so that a save takes long enough to be hit.
void fill(readWriteSettingsToFile& store, unsigned int entries, unsigned int seed)
{
    const stubString padding(std::u16string(40, static_cast<char16_t>(u'a' + seed % 26)).c_str());
    for (unsigned int n = 0; n < entries; ++n)
    {
        const std::u16string name = u"value" + wideText::fromUnsigned(n);
        ASSERT_EQ(store.writeUInt(nullptr, name.c_str(), n * seed), 1);
        ASSERT_EQ(store.writeString(nullptr, (name + u"text").c_str(), padding), 1);
    }
}

bytes saved(const readWriteSettingsToFile& store, const std::filesystem::path& path)
{
    EXPECT_EQ(store.saveFile(widePath(path).c_str()), 1);
    return readBytes(path);
}

} // namespace

TEST_F(readWriteSettingsToFileCrashTest, killedSavesLeaveTheOldOrTheNewFileWhole)
{
    readWriteSettingsToFile oldStore;
    readWriteSettingsToFile newStore;
    fill(oldStore, 2000, 1);
    fill(newStore, 3000, 2);
    const std::filesystem::path path = filePath();
    const bytes newImage = saved(newStore, path);
    const bytes oldImage = saved(oldStore, path);
    ASSERT_NE(oldImage, newImage);

    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(newStore.saveFile(widePath(filePath("timing.bin")).c_str()), 1);
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count();

    std::mt19937 random(12345);
    int sawOld = 0;
    int sawNew = 0;
    constexpr int rounds = 50;
    for (int round = 0; round < rounds; ++round)
    {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            // Save the two images in turn until killed, so the kill lands inside a save.
            close(ready[0]);
            const char go = 1;
            if (write(ready[1], &go, 1) != 1)
            {
                _exit(2);
            }
            const std::u16string wide = widePath(path);
            for (;;)
            {
                if (newStore.saveFile(wide.c_str()) != 1 || oldStore.saveFile(wide.c_str()) != 1)
                {
                    _exit(3);
                }
            }
        }
        close(ready[1]);
        char go = 0;
        ASSERT_EQ(read(ready[0], &go, 1), 1);
        close(ready[0]);
        std::uniform_int_distribution<long> delay(0, 3 * saveTime + 1000);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped on its own: " << status;

        const bytes onDisk = readBytes(path);
        const bool isOld = onDisk == oldImage;
        const bool isNew = onDisk == newImage;
        ASSERT_TRUE(isOld || isNew) << "round " << round << ": " << onDisk.size() << " bytes";
        sawOld += isOld ? 1 : 0;
        sawNew += isNew ? 1 : 0;
        readWriteSettingsToFile loaded;
        ASSERT_EQ(loaded.loadFile(widePath(path).c_str()), 1);
        EXPECT_EQ(loaded.compare(isOld ? oldStore : newStore), 0);
    }
    RecordProperty("oldFiles", sawOld);
    RecordProperty("newFiles", sawNew);
}

TEST_F(readWriteSettingsToFileCrashTest, fullDiskFailsTheSaveAndKeepsTheOldFile)
{
    readWriteSettingsToFile oldStore;
    readWriteSettingsToFile newStore;
    fill(oldStore, 10, 1);
    fill(newStore, 1000, 2);
    const std::filesystem::path path = filePath();
    const bytes oldImage = saved(oldStore, path);
    ASSERT_LT(oldImage.size(), 4096u);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        // The file-size limit stands in for a full disk: writes past it fail with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        {
            _exit(2);
        }
        const int result = newStore.saveFile(widePath(path).c_str());
        _exit(result == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must report the failure";
    EXPECT_EQ(readBytes(path), oldImage);
    int files = 0;
    for ([[maybe_unused]] const auto& item :
         std::filesystem::directory_iterator(testsupport::sandboxRoot()))
    {
        files += item.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1) << "the temporary file must be removed";
}
