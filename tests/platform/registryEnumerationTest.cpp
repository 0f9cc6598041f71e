// Walking a key index by index: each step costs the same whatever the index, and a change to
// the hive in the middle of a walk gives the answers a walk from the start would give.

#include "platform/registryDatabase.h"
#include "platform/wideText.h"
#include <reZevavEvadurov/registry.h>

#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace registryTest;
using namespace registryStore;
namespace fs = std::filesystem;

namespace
{

std::u16string numbered(const char16_t* stem, DWORD n)
{
    const std::u16string digits = wideText::fromUnsigned(n);
    std::u16string text(stem); // appended, not added: g++ 12 -O3 misreads literal + string
    text.append(5 - digits.size(), u'0').append(digits); // sorts like the numbers
    return text;
}

// Statement steps of each call of a walk over `count` entries, on a hive holding that many
// values and sub-keys below "Software".
TEST(RegistryEnumerationCostTest, EveryStepOfAWalkCostsAboutTheSame)
{
    constexpr DWORD count = 3000;
    const std::string path = (testsupport::sandboxRoot() / "cost.hive").string();
    std::ofstream(path).close();
    const hiveLayout& layout = *registryHiveLocation::layout(HKEY_CURRENT_USER);
    ASSERT_EQ(registryDatabase::initialise(path, layout), ERROR_SUCCESS);
    std::unique_ptr<registryDatabase> db;
    ASSERT_EQ(registryDatabase::open(path, layout, db), ERROR_SUCCESS);
    constexpr keyId software = 2;
    ASSERT_EQ(db->beginWrite(), ERROR_SUCCESS);
    const BYTE data[4] = {1, 2, 3, 4};
    for (DWORD i = 0; i < count; ++i)
    {
        keyId made = 0;
        ASSERT_EQ(db->createKey(software, registryName(numbered(u"key", i)), made), 0);
        ASSERT_EQ(db->setValue(software, registryName(numbered(u"value", i)), REG_BINARY, data), 0);
    }
    ASSERT_EQ(db->commit(), ERROR_SUCCESS);

    using step = std::function<DWORD(DWORD, enumerationCursor&, std::u16string&)>;
    struct walkCase
    {
        const char* kind;
        const char16_t* stem;
        step walk;
    };
    const walkCase walks[] = {
        {"values", u"value",
         [&](DWORD i, enumerationCursor& cursor, std::u16string& name)
         {
             storedValue value;
             return db->valueAt(software, i, name, value, &cursor);
         }},
        {"sub-keys", u"key",
         [&](DWORD i, enumerationCursor& cursor, std::u16string& name)
         {
             std::int64_t written = 0;
             return db->subKeyAt(software, i, name, written, &cursor);
         }},
    };
    for (const auto& [kind, stem, walk] : walks)
    {
        enumerationCursor cursor;
        std::vector<std::int64_t> cost;
        for (DWORD i = 0; i < count; ++i)
        {
            const std::int64_t before = db->enumerationSteps();
            std::u16string name;
            ASSERT_EQ(walk(i, cursor, name), ERROR_SUCCESS) << kind << i;
            EXPECT_EQ(name, numbered(stem, i)) << kind;
            cost.push_back(db->enumerationSteps() - before);
        }
        const std::int64_t first = cost[1];
        const std::int64_t worst = *std::max_element(cost.begin() + 1, cost.end());
        EXPECT_LE(worst, first + 4) << kind << ": the step at the far end costs like the first";
    }
}

// Through handles: walk indexes 0..4, change the key, ask on; a handle opened afresh gives the
// answers the walking handle must give.
class RegistryEnumerationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &m_key, nullptr),
                  0);
        for (DWORD i = 0; i < 10; ++i)
        {
            ASSERT_EQ(setDword(m_key, numbered(u"v", i).c_str(), i), 0);
            HKEY sub = nullptr;
            ASSERT_EQ(RegCreateKeyExW(m_key, numbered(u"k", i).c_str(), 0, nullptr, 0, KEY_READ,
                                      nullptr, &sub, nullptr),
                      0);
            ASSERT_EQ(RegCloseKey(sub), 0);
        }
    }
    void TearDown() override
    {
        EXPECT_EQ(RegCloseKey(m_key), 0);
        EXPECT_EQ(regOpenHandleCount(), 0u);
    }

    // The name at `index` through `key`, or "-" and the code.
    static std::u16string at(HKEY key, bool values, DWORD index)
    {
        WCHAR name[32];
        DWORD chars = 32;
        const LSTATUS rc =
            values ? RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr)
                   : RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        return rc == 0 ? std::u16string(name, chars)
                       : std::u16string(u"-").append(wideText::fromUnsigned(rc));
    }

    // Fresh answers for the indexes `from`..12, through a handle that has walked nothing.
    static std::vector<std::u16string> freshWalk(bool values, DWORD from)
    {
        HKEY fresh = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &fresh), 0);
        std::vector<std::u16string> names;
        for (DWORD i = from; i <= 12; ++i)
        {
            names.push_back(at(fresh, values, i));
        }
        RegCloseKey(fresh);
        return names;
    }

    static constexpr const WCHAR* path = u"Software\\Walk";
    HKEY m_key = nullptr;
};

// Runs `sql` on the hive through a connection of its own, as another process would.
void changeElsewhere(const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(userHive(testsupport::sandboxConfigHome()).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST_F(RegistryEnumerationTest, AChangeInTheMiddleOfAWalkStartsItOverSafely)
{
    struct changeCase
    {
        const char* what;
        bool values;
        std::function<void(HKEY)> change;
    };
    const changeCase cases[] = {
        {"value deleted here", true,
         [](HKEY key) { EXPECT_EQ(RegDeleteValueW(key, u"v00002"), 0); }},
        {"value added here", true, [](HKEY key) { EXPECT_EQ(setDword(key, u"new", 1), 0); }},
        {"value deleted elsewhere", true,
         [](HKEY) { changeElsewhere("DELETE FROM hiveValue WHERE name = 'v00001'"); }},
        {"key added before here", false,
         [](HKEY key)
         {
             HKEY sub = nullptr;
             EXPECT_EQ(RegCreateKeyExW(key, u"a", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr),
                       0);
             RegCloseKey(sub);
         }},
        {"key deleted here", false, [](HKEY key) { EXPECT_EQ(RegDeleteKeyW(key, u"k00003"), 0); }},
        {"key deleted elsewhere", false,
         [](HKEY) { changeElsewhere("DELETE FROM hiveKey WHERE name = 'k00000'"); }},
    };
    for (const changeCase& c : cases)
    {
        for (DWORD i = 0; i < 5; ++i)
        {
            at(m_key, c.values, i);
        }
        c.change(m_key);
        std::vector<std::u16string> walked;
        for (DWORD i = 5; i <= 12; ++i)
        {
            walked.push_back(at(m_key, c.values, i));
        }
        EXPECT_EQ(walked, freshWalk(c.values, 5)) << c.what;
        EXPECT_EQ(RegCloseKey(m_key), 0);
        SetUp(); // the same ten values and keys again (a deleted one is made anew)
    }
}

TEST_F(RegistryEnumerationTest, HandlesKeepTheirOwnPlaceAndAnyOrderOfIndexesIsAnswered)
{
    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &other), 0);
    const DWORD order[] = {0, 1, 1, 2, 7, 8, 3, 2, 9, 10, 0};
    for (const bool values : {true, false})
    {
        for (const DWORD i : order)
        {
            const std::u16string expected =
                i < 10 ? numbered(values ? u"v" : u"k", i) : u"-259"; // ERROR_NO_MORE_ITEMS
            EXPECT_EQ(at(m_key, values, i), expected) << i;
            EXPECT_EQ(at(other, values, 9 - std::min<DWORD>(i, 9)),
                      numbered(values ? u"v" : u"k", 9 - std::min<DWORD>(i, 9)))
                << i;
        }
    }
    EXPECT_EQ(RegCloseKey(other), 0);
}

} // namespace
