#include <reZevavEvadurov/registry.h>

#include "tests/platform/fileTestHelpers.h"
#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <sqlite3.h>
#include <string>

using namespace fileTest;
using namespace registryTest;
namespace fs = std::filesystem;

namespace
{

enum class damage
{
    garbage,
    truncated,
    emptyFile,
    directory,
};

// Names the kind in test names and failure messages.
void PrintTo(damage kind, std::ostream* out)
{
    switch (kind)
    {
    case damage::garbage:
        *out << "garbage";
        return;
    case damage::truncated:
        *out << "truncated";
        return;
    case damage::emptyFile:
        *out << "emptyFile";
        return;
    case damage::directory:
        *out << "directory";
        return;
    }
    *out << "damage" << static_cast<int>(kind);
}

class RegistryDamageTest : public ::testing::TestWithParam<damage>
{
protected:
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), 0u); }

    // Puts the damaged hive in place; this process has never opened it.
    void damageHive()
    {
        fs::create_directories(m_hive.parent_path());
        switch (GetParam())
        {
        case damage::garbage:
            writeFile(m_hive, std::string(3000, 'x') + "not a hive at all");
            writeFile(m_hive.string() + "-wal", "journal of the damaged file");
            break;
        case damage::truncated:
        {
            // A sound hive with several pages, written by another process, then cut short.
            ASSERT_EQ(runInChild(
                          []
                          {
                              HKEY key = nullptr;
                              RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Big", 0, nullptr, 0,
                                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
                              int failures = 0;
                              for (DWORD i = 0; i < 400; ++i)
                              {
                                  const std::u16string name =
                                      u"value number " +
                                      std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                                      std::u16string(i / 26 + 1, u'z');
                                  failures += setDword(key, name.c_str(), i) != 0;
                              }
                              failures += RegCloseKey(key) != 0; // copies the journal in
                              return failures;
                          }),
                      0);
            fs::remove(m_hive.string() + "-wal");
            fs::remove(m_hive.string() + "-shm");
            ASSERT_GT(fs::file_size(m_hive), 8192u);
            fs::resize_file(m_hive, fs::file_size(m_hive) / 2 + 100);
            break;
        }
        case damage::emptyFile:
            writeFile(m_hive, "");
            break;
        case damage::directory:
            fs::create_directories(m_hive / "inside");
            break;
        }
        m_before = fs::is_directory(m_hive) ? std::string("<directory>") : contentOf(m_hive);
    }

    std::vector<fs::path> movedAside() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(m_hive.parent_path()))
        {
            if (entry.path().filename().string().find(".damaged-") != std::string::npos)
            {
                found.push_back(entry.path());
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    const fs::path m_hive = userHive(testsupport::sandboxConfigHome());
    std::string m_before;
};

TEST_P(RegistryDamageTest, ReadsFailAndTheFirstWriteMovesTheHiveAsideAndStartsAfresh)
{
    ASSERT_NO_FATAL_FAILURE(damageHive());
    HKEY key = nullptr;
    DWORD value = 0;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(queryDword(HKEY_CURRENT_USER, u"x", value), ERROR_BADDB);
    EXPECT_EQ(RegDeleteValueW(HKEY_CURRENT_USER, u"x"), ERROR_BADDB);
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, u"", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
        ERROR_BADDB);
    EXPECT_TRUE(movedAside().empty()) << "reads never move the file";
    EXPECT_EQ(fs::is_directory(m_hive) ? std::string("<directory>") : contentOf(m_hive), m_before);

    ::testing::internal::CaptureStderr();
    const LSTATUS written = setDword(HKEY_CURRENT_USER, u"x", 42);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(written, 0);
    EXPECT_NE(said.find("damaged"), std::string::npos) << said;
    EXPECT_NE(said.find(m_hive.string()), std::string::npos) << said;

    // The damaged file is kept, untouched, under a dated name, its journal files beside it.
    const std::vector<fs::path> aside = movedAside();
    ASSERT_FALSE(aside.empty());
    const fs::path& moved = aside[0]; // sorted: the file comes before its "-shm" and "-wal"
    for (const fs::path& other : aside)
    {
        EXPECT_TRUE(other == moved || other.string() == moved.string() + "-wal" ||
                    other.string() == moved.string() + "-shm")
            << other;
    }
    EXPECT_EQ(fs::is_directory(moved) ? std::string("<directory>") : contentOf(moved), m_before);
    EXPECT_NE(said.find(moved.string()), std::string::npos) << said;
    if (GetParam() == damage::garbage)
    {
        EXPECT_EQ(contentOf(moved.string() + "-wal"), "journal of the damaged file");
    }

    // The new hive is whole and holds the standard keys and the new value.
    ASSERT_EQ(queryDword(HKEY_CURRENT_USER, u"x", value), 0);
    EXPECT_EQ(value, 42u);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(integrityOf(m_hive, SQLITE_OPEN_READONLY), "ok");
}

INSTANTIATE_TEST_SUITE_P(Kinds, RegistryDamageTest,
                         ::testing::Values(damage::garbage, damage::truncated, damage::emptyFile,
                                           damage::directory),
                         ::testing::PrintToStringParamName());

} // namespace

namespace
{

// A hive of a later format is not damage: it is neither read nor moved, and writes fail too.
TEST(RegistryLaterFormatTest, IsLeftAloneAndRefused)
{
    const fs::path hive = userHive(testsupport::sandboxConfigHome());
    ASSERT_EQ(runInChild([] { return setDword(HKEY_CURRENT_USER, u"x", 1) == 0 ? 0 : 1; }), 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA user_version = 3", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    DWORD value = 0;
    EXPECT_EQ(queryDword(HKEY_CURRENT_USER, u"x", value), ERROR_CANTREAD);
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, u"x", 2), ERROR_CANTREAD);
    EXPECT_TRUE(fs::exists(hive));
    for (const std::string& name : filesBelow(hive.parent_path()))
    {
        EXPECT_EQ(name.find(".damaged-"), std::string::npos) << name;
    }
}

} // namespace
