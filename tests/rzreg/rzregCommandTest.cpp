// rzreg as a user runs it: one table of command lines with their exact output and exit status.
// Each scenario starts from empty hives; its steps run in order, each a separate process.

#include "tests/rzreg/rzregProcess.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace
{

using rzregTest::run;

struct stepCase
{
    stepCase(std::vector<std::string> a, std::string o = {}, std::string e = {}, int s = 0,
             std::string i = {}, bool prefix = false)
        : args(std::move(a)), out(std::move(o)), err(std::move(e)), status(s), input(std::move(i)),
          outPrefixOnly(prefix)
    {
    }
    std::vector<std::string> args;
    std::string out;
    std::string err;
    int status;
    std::string input;
    bool outPrefixOnly; // usage texts: the first lines are enough
};

struct scenario
{
    const char* name;
    std::vector<stepCase> steps;
};

const std::string K = "HKCU\\Software\\Corvane\\Tarnwickx64";
const std::string FULL = "HKEY_CURRENT_USER\\Software\\Corvane\\Tarnwickx64";
const std::string OK = "The operation completed successfully.\n";
const std::string NOT_FOUND =
    "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string CANCELED = "The operation was canceled by the user.\n";
const std::string C = "HKCU\\Software\\Corvane\\Copy";
const std::string FULL_C = "HKEY_CURRENT_USER\\Software\\Corvane\\Copy";
const std::string FILE_ARG = "@file"; // replaced by a file in the test's sandbox

std::string syntax(const std::string& op)
{
    return "ERROR: Invalid syntax.\nType \"RZREG " + op + "/?\" for usage.\n";
}
std::string badKey(const std::string& op)
{
    return "ERROR: Invalid key name.\nType \"RZREG " + op + " /?\" for usage.\n";
}
stepCase add(const std::vector<std::string>& rest)
{
    std::vector<std::string> args{"add", K};
    args.insert(args.end(), rest.begin(), rest.end());
    args.push_back("/f");
    return {args, OK, "", 0};
}

const std::vector<scenario>& scenarios()
{
    static const std::vector<scenario> table{
        {"Usage",
         {
             {{"/?"}, "\nRZREG Operation [Parameter List]\n", "", 0, "", true},
             {{"--help"}, "\nRZREG Operation [Parameter List]\n", "", 0, "", true},
             {{"query", "/?"},
              "\nRZREG QUERY KeyName [/v ValueName | /ve] [/s]\n",
              "",
              0,
              "",
              true},
             {{"ADD", "--help"},
              "\nRZREG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n",
              "",
              0,
              "",
              true},
             {{"delete", "/?"},
              "\nRZREG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n",
              "",
              0,
              "",
              true},
             {{"export", "/?"}, "\nRZREG EXPORT KeyName FileName [/y]\n", "", 0, "", true},
             {{"import", "/?"}, "\nRZREG IMPORT FileName\n", "", 0, "", true},
             {{"copy", "/?"}, "\nRZREG COPY KeyName1 KeyName2 [/s] [/f]\n", "", 0, "", true},
             {{"compare", "/?"}, "\nRZREG COMPARE KeyName1 KeyName2 [/v", "", 0, "", true},
             {{"--version"}, "rzreg 1.", "", 0, "", true},
         }},
        {"BadCommandLines",
         {
             {{}, "", syntax(""), 1},
             {{"move", K}, "", syntax(""), 1},
             {{"copy", K}, "", syntax("COPY "), 1},
             {{"compare", K, K, "/s", "/ve"}, "", syntax("COMPARE "), 1},
             {{"compare", K, K, "/oa", "/os"}, "", syntax("COMPARE "), 1},
             {{"add", K, "/t", "REG_MULTI_SZ", "/s", "ab", "/f"}, "", syntax("ADD "), 1},
             {{"add", "HKCU\\", "/v", "X", "/d", "foo", "/f"}, "", badKey("ADD"), 1},
             {{"query"}, "", syntax("QUERY "), 1},
             {{"query", K, "/x"}, "", syntax("QUERY "), 1},
             {{"query", K, "/v", "a", "/ve"}, "", syntax("QUERY "), 1},
             {{"query", K, "/s", "/s"}, "", syntax("QUERY "), 1},
             {{"add", K, "/v"}, "", syntax("ADD "), 1},
             {{"delete", K, "/va", "/v", "a"}, "", syntax("DELETE "), 1},
             {{"export", K}, "", syntax("EXPORT "), 1},
             {{"query", "HKLM\\Software"}, "", badKey("QUERY"), 1},
             {{"query", "\\\\host\\HKCU\\Software"}, "", badKey("QUERY"), 1},
             {{"query", "HKCU\\Software\\\\x"}, "", badKey("QUERY"), 1},
             {{"delete", "HKCU", "/f"}, "", badKey("DELETE"), 1},
             {{"query", "HKCU\\Software\\Nope"}, "", NOT_FOUND, 1},
             {{"query", "HKCU\\Software", "/v", "nope"}, "", NOT_FOUND, 1},
         }},
        {"AddEveryTypeThenQuery",
         {
             add({"/v", "debugHeap", "/t", "REG_DWORD", "/d", "1"}),
             add({"/v", "big", "/t", "reg_dword", "/d", "0xFFFFFFFF"}),
             add({"/v", "dir", "/d", "/tmp/a \"b\""}),
             add({"/v", "path", "/t", "REG_EXPAND_SZ", "/d", "%HOME%/x"}),
             add({"/v", "list", "/t", "REG_MULTI_SZ", "/d", "a\\0b c"}),
             add({"/v", "q", "/t", "REG_QWORD", "/d", "81985529216486895"}),
             add({"/v", "bin", "/t", "REG_BINARY", "/d", "00ff7A"}),
             add({"/v", "none", "/t", "REG_NONE"}),
             add({"/v", "text", "/t", "REG_NONE", "/d", "deadbeef"}),
             add({"/v", "odd", "/t", "REG_BINARY", "/d", "DeAdBeEf0DD"}),
             add({"/v", "ones", "/t", "REG_QWORD", "/d", "-1"}),
             add({"/v", "q0", "/t", "REG_QWORD"}),
             add({"/v", "d0", "/t", "REG_DWORD_LITTLE_ENDIAN", "/d", "-1"}),
             add({"/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x12345678"}),
             add({"/v", "sep", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "a,b,"}),
             add({"/v", "empty"}),
             add({"/ve", "/d", "default"}),
             {{"query", K},
              "\n" + FULL +
                  "\n    debugHeap    REG_DWORD    0x1\n    big    REG_DWORD    0xffffffff\n"
                  "    dir    REG_SZ    /tmp/a \"b\"\n    path    REG_EXPAND_SZ    %HOME%/x\n"
                  "    list    REG_MULTI_SZ    a\\0b c\n    q    REG_QWORD    0x123456789abcdef\n"
                  "    bin    REG_BINARY    00FF7A\n    none    REG_NONE    0000\n"
                  "    text    REG_NONE    640065006100640062006500650066000000\n"
                  "    odd    REG_BINARY    0DEADBEEF0DD\n    ones    REG_QWORD    "
                  "0xffffffffffffffff\n"
                  "    q0    REG_QWORD    0x0\n    d0    REG_DWORD    0xffffffff\n"
                  "    be    REG_DWORD_BIG_ENDIAN    0x12345678\n    sep    REG_MULTI_SZ    a\\0b\n"
                  "    empty    REG_SZ    \n    (Default)    REG_SZ    default\n\n"},
             {{"query", "hkcu\\SOFTWARE\\corvane\\TARNWICKX64", "/V", "DEBUGHEAP"},
              "\nHKEY_CURRENT_USER\\SOFTWARE\\corvane\\TARNWICKX64\n"
              "    DEBUGHEAP    REG_DWORD    0x1\n\n"},
             {{"query", K, "/ve"}, "\n" + FULL + "\n    (Default)    REG_SZ    default\n\n"},
             {{"query", "HKCU\\Software\\Corvane", "/ve"},
              "\nHKEY_CURRENT_USER\\Software\\Corvane\n    (Default)    REG_SZ    (value not "
              "set)\n\n"},
         }},
        {"AddRefusesDataThatDoesNotFitItsType",
         {
             {{"add", K, "/v", "a", "/t", "REG_DWORD", "/d", "12x"},
              "",
              "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\n",
              1},
             {{"add", K, "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"},
              "",
              "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\n",
              1},
             {{"add", K, "/v", "a", "/t", "REG_QWORD", "/d", "0x"},
              "",
              "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\n",
              1},
             {{"add", K, "/v", "a", "/t", "REG_BINARY", "/d", "0g"},
              "",
              "ERROR: Invalid syntax. Specify valid hex data for '/d'.\n",
              1},
             {{"add", K, "/v", "a", "/t", "REG_MULTI_SZ", "/d", "two\\0\\0strings"},
              "",
              syntax("ADD "),
              1},
             {{"add", K, "/v", "a", "/t", "REG_MULTI_SZ", "/d", "\\0a"}, "", syntax("ADD "), 1},
             {{"add", K, "/v", "a", "/t", "REG_LINK"},
              "",
              "ERROR: Invalid syntax. Specify a valid type for '/t'.\n",
              1},
             {{"query", K}, "", NOT_FOUND, 1},
         }},
        {"OverwriteAsks",
         {
             add({"/v", "v", "/t", "REG_DWORD", "/d", "1"}),
             {{"add", K, "/v", "v", "/t", "REG_DWORD", "/d", "2"},
              "Value v exists, overwrite (Yes/No)? Value v exists, overwrite (Yes/No)? " + CANCELED,
              "",
              1,
              "maybe\nNo\n"},
             {{"add", K, "/v", "v", "/t", "REG_DWORD", "/d", "3"},
              "Value v exists, overwrite (Yes/No)? \n" + CANCELED,
              "",
              1,
              ""},
             {{"query", K, "/v", "v"}, "\n" + FULL + "\n    v    REG_DWORD    0x1\n\n"},
             {{"add", K, "/v", "v", "/t", "REG_DWORD", "/d", "2"},
              "Value v exists, overwrite (Yes/No)? " + OK,
              "",
              0,
              "y\n"},
             {{"query", K, "/v", "v"}, "\n" + FULL + "\n    v    REG_DWORD    0x2\n\n"},
             add({"/ve", "/d", "old"}),
             {{"add", K, "/f"}, OK},
             {{"query", K, "/ve"}, "\n" + FULL + "\n    (Default)    REG_SZ    \n\n"},
             {{"add", K, "/t", "REG_DWORD", "/d", "5", "/f"}, OK},
             {{"query", K, "/ve"}, "\n" + FULL + "\n    (Default)    REG_DWORD    0x5\n\n"},
         }},
        {"SubKeysAndRecursion",
         {
             add({"/v", "x", "/d", "top"}),
             {{"add", K + "\\b", "/v", "x", "/t", "REG_DWORD", "/d", "2"}, OK},
             {{"add", K + "\\a"}, OK},
             {{"add", "HKU\\.DEFAULT\\Software\\Corvane\\Tarnwickx64", "/v", "x", "/d", "users"},
              OK},
             {{"query", K},
              "\n" + FULL + "\n    x    REG_SZ    top\n\n" + FULL + "\\a\n" + FULL + "\\b\n"},
             {{"query", K, "/s"},
              "\n" + FULL + "\n    x    REG_SZ    top\n\n" + FULL +
                  "\\a\n    (Default)    REG_SZ    \n\n" + FULL +
                  "\\b\n    x    REG_DWORD    0x2\n\n"},
             {{"query", "HKCU\\Software\\Corvane", "/v", "x", "/s"},
              "\n" + FULL + "\n    x    REG_SZ    top\n\n" + FULL +
                  "\\b\n    x    REG_DWORD    0x2\n\nEnd of search: 2 match(es) found.\n"},
             {{"query", K, "/v", "y", "/s"}, "\nEnd of search: 0 match(es) found.\n", "", 1},
             {{"query", "HKU\\.DEFAULT\\Software\\Corvane\\Tarnwickx64"},
              "\nHKEY_USERS\\.DEFAULT\\Software\\Corvane\\Tarnwickx64\n    x    REG_SZ    "
              "users\n\n"},
             {{"query", "hkey_users\\.default\\software\\corvane\\tarnwickx64", "/v", "X"},
              "\nHKEY_USERS\\.default\\software\\corvane\\tarnwickx64\n    X    REG_SZ    "
              "users\n\n"},
             {{"query", "HKEY_CURRENT_USER\\Software\\Corvane\\Tarnwickx64\\", "/v", "x"},
              "\n" + FULL + "\n    x    REG_SZ    top\n\n"},
         }},
        {"DeleteValuesAndKeys",
         {
             add({"/v", "a", "/d", "1"}),
             add({"/v", "b", "/d", "2"}),
             add({"/ve", "/d", "3"}),
             {{"add", K + "\\sub\\deeper", "/v", "c", "/d", "4"}, OK},
             {{"delete", K, "/v", "nope", "/f"}, "", NOT_FOUND, 1},
             {{"delete", K, "/v", "A"},
              "Delete the registry value A (Yes/No)? " + OK,
              "",
              0,
              "yes\n"},
             {{"delete", K, "/ve", "/f"}, OK},
             {{"query", K}, "\n" + FULL + "\n    b    REG_SZ    2\n\n" + FULL + "\\sub\n"},
             {{"delete", K, "/va", "/f"}, OK},
             {{"query", K}, "\n" + FULL + "\\sub\n"},
             {{"delete", K},
              "Permanently delete the registry key " + FULL + " (Yes/No)? " + CANCELED,
              "",
              1,
              "n\n"},
             {{"delete", "HKCU\\Software", "/f"}, "", "ERROR: Access is denied.\n", 1},
             {{"query", K, "/s"}, "\n" + FULL + "\\sub\\deeper\n    c    REG_SZ    4\n\n"},
             {{"delete", K, "/f"}, OK},
             {{"query", K}, "", NOT_FOUND, 1},
             {{"query", "HKCU\\Software\\Corvane"}, "\n"},
             {{"delete", K, "/f"}, "", NOT_FOUND, 1},
         }},
        {"CopyAndCompare",
         {
             add({"/v", "a", "/d", "1"}),
             {{"add", K + "\\sub", "/v", "b", "/t", "REG_DWORD", "/d", "2", "/f"}, OK},
             {{"copy", K, K + "\\SUB\\x", "/s"},
              "",
              "ERROR: Cannot copy a key onto itself or one of its subkeys.\n",
              1},
             {{"copy", K, C, "/s"}, OK},
             {{"compare", K, C, "/s"}, "\nResult Compared: Identical\n" + OK},
             {{"add", C, "/v", "A", "/d", "2", "/f"}, OK},
             {{"add", C + "\\other", "/f"}, OK},
             {{"compare", K, C, "/s", "/oa"},
              "< Value: " + FULL + "  a  REG_SZ  1\n> Value: " + FULL_C +
                  "  a  REG_SZ  2\n= Key: " + FULL + "\\sub\n> Key: " + FULL_C +
                  "\\other\n= Value: " + FULL +
                  "\\sub  b  REG_DWORD  0x2\n\nResult Compared: Different\n" + OK,
              "",
              2},
             {{"compare", K, C, "/s", "/on"}, "\nResult Compared: Different\n" + OK, "", 2},
             {{"compare", K, C, "/v", "nope"}, "", NOT_FOUND, 1},
             {{"copy", K, C}, "Value a exists, overwrite (Yes/No)? \n" + CANCELED, "", 1},
             {{"copy", K, C}, "Value a exists, overwrite (Yes/No)? " + OK, "", 0, "yes\n"},
             {{"delete", C, "/v", "a", "/f"}, OK},
             {{"add", C, "/v", "A", "/d", "1", "/f"}, OK},
             {{"compare", K, C, "/v", "a", "/os"},
              "= Value: " + FULL + "  a  REG_SZ  1\n\nResult Compared: Identical\n" + OK},
         }},
        {"EndianTypesAndLongNamesSurviveExport",
         {
             add({"/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "1"}),
             {{"add", K + "\\" + std::string(256, 'x'), "/f"}, OK},
             {{"export", K, FILE_ARG, "/y"}, OK},
             {{"delete", K, "/f"}, OK},
             {{"import", FILE_ARG}, "", OK},
             {{"query", K},
              "\n" + FULL + "\n    be    REG_DWORD_BIG_ENDIAN    0x1\n\n" + FULL + "\\" +
                  std::string(256, 'x') + "\n"},
         }},
    };
    return table;
}

class rzregCommandTest : public ::testing::TestWithParam<scenario>
{
};

TEST_P(rzregCommandTest, EachStepGivesItsOutputAndStatus)
{
    int number = 0;
    for (const stepCase& step : GetParam().steps)
    {
        ++number;
        std::string line;
        for (const std::string& arg : step.args)
        {
            line += " " + arg;
        }
        SCOPED_TRACE("step " + std::to_string(number) + ": rzreg" + line);
        std::vector<std::string> args = step.args;
        for (std::string& arg : args)
        {
            arg = arg == FILE_ARG ? (testsupport::sandboxRoot() / "keys.reg").string() : arg;
        }
        const rzregTest::result r = run(args, step.input);
        EXPECT_EQ(r.status, step.status);
        EXPECT_EQ(step.outPrefixOnly ? r.out.substr(0, step.out.size()) : r.out, step.out);
        EXPECT_EQ(r.err, step.err);
    }
}

INSTANTIATE_TEST_SUITE_P(rzreg, rzregCommandTest, ::testing::ValuesIn(scenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

// A chain of 20,000 nested keys, as a hive written before the depth limit may hold: every walk
// goes down and back up.
TEST(rzregDeepTree, EveryWalkCopesWithAnyDepth)
{
    constexpr int depth = 20000;
    ASSERT_EQ(run({"add", "HKCU\\Software\\Deep", "/f"}).out, OK);
    const auto hive = testsupport::sandboxConfigHome() / "reZevavEvadurov/HKEY_CURRENT_USER.hive";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    const std::string sql =
        "WITH RECURSIVE base(id) AS (SELECT max(id) FROM hiveKey), "
        "chain(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM chain WHERE n < " +
        std::to_string(depth) +
        ") INSERT INTO hiveKey(id, parent, name, folded, written) "
        "SELECT base.id + n, base.id + n - 1, 'k', X'004B', 0 FROM chain, base; "
        "INSERT INTO hiveValue(keyId, name, folded, type, data) "
        "SELECT max(id), 'v', X'0056', 1, X'78000000' FROM hiveKey;";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    const std::string deep = "HKCU\\Software\\Deep";
    const rzregTest::result query = run({"query", deep, "/s"});
    EXPECT_EQ(query.status, 0);
    std::string leaf = "\nHKEY_CURRENT_USER\\Software\\Deep";
    for (int level = 0; level < depth; ++level)
    {
        leaf += "\\k";
    }
    // Value-less keys print nothing; `add` gave the top key an empty default value.
    EXPECT_EQ(query.out, "\nHKEY_CURRENT_USER\\Software\\Deep\n    (Default)    REG_SZ    \n" +
                             leaf + "\n    v    REG_SZ    x\n\n");
    // A copy would go past the depth a new key may have: refused whole.
    EXPECT_EQ(run({"copy", deep, "HKCU\\Software\\Copy", "/s"}).status, 1);
    EXPECT_EQ(run({"query", "HKCU\\Software\\Copy"}).err, NOT_FOUND);
    EXPECT_EQ(run({"compare", deep, deep, "/s"}).status, 0);
    EXPECT_EQ(run({"delete", deep, "/f"}).out, OK);
    EXPECT_EQ(run({"query", deep}).err, NOT_FOUND);
}

// A hive of the first format holding "file" and "f\u0131le", which fold alike now: the refold
// keeps the second apart, and only the enumeration still reaches it.
TEST(rzregRefoldedHive, ValuesShowWhatTheEnumerationGives)
{
    ASSERT_EQ(run({"add", K, "/v", "file", "/t", "REG_DWORD", "/d", "3", "/f"}).out, OK);
    const auto hive = testsupport::sandboxConfigHome() / "reZevavEvadurov/HKEY_CURRENT_USER.hive";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    const char* sql = "INSERT INTO hiveValue(keyId, name, folded, type, data) SELECT keyId, "
                      "'f\xC4\xB1le', X'00460130004C0045', 3, X'0400' FROM hiveValue; "
                      "PRAGMA user_version = 1";
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(run({"query", K}).out, "\n" + FULL +
                                         "\n    file    REG_DWORD    0x3\n"
                                         "    f\xC4\xB1le    REG_BINARY    0400\n\n");
}

} // namespace
