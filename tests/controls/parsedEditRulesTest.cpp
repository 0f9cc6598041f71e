#include "controls/parsedEditRules.h"

#include "platform/wideText.h"
#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// ---- The character filter -------------------------------------------------------------------

const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
const std::string digits = "0123456789";

std::string printableAsciiExcept(const std::string& refused)
{
    std::string all;
    for (char c = 0x20; c < 0x7F; ++c)
    {
        if (refused.find(c) == std::string::npos)
        {
            all += c;
        }
    }
    return all + '\x7F';
}

// One row per family of type codes: the printable ASCII characters (0x20 to 0x7F) each type
// accepts, and whether it accepts characters above 0x7F.
struct filterRow
{
    const char* family;
    std::vector<int> types;
    std::string acceptedAscii;
    bool acceptsAbove7F;
};

const std::vector<filterRow>& filterTable()
{
    static const std::string fileName = printableAsciiExcept("<>\"|");
    static const std::vector<filterRow> rows = {
        {"nothing", {0}, "", false},
        {"alphanumeric", {1}, letters + digits, false},
        {"alphanumeric with ?-blank", {2}, letters + digits + "?- ", false},
        {"digits", {3}, digits, false},
        {"percent", {4}, digits + "%", false},
        {"percent star", {5}, digits + "%*", false},
        {"percent star comma", {6}, digits + "%*,", false},
        {"digits comma", {7}, digits + ",", false},
        {"digits minus", {8}, digits + "-", false},
        {"hexadecimal", {9}, digits + "ABCDEFabcdef#x", false},
        {"decimal point", {10}, digits + ".", false},
        {"signed decimal point", {11}, digits + ".-", false},
        {"letters", {12}, letters, false},
        {"file names",
         {13, 14, 15, 16, 17, 25, 28, 32, 35, 38, 41, 44, 52, 53, 54, 55, 56, 57, 58},
         fileName,
         true},
        {"identifier", {18}, letters + digits + "_", false},
        {"binary", {19}, "01", false},
        {"true false", {20}, "TRUEFALStruefals", false},
        {"symbol with dot", {21, 46}, letters + digits + "._`<>$", false},
        {"symbol", {22, 47}, letters + digits + "_`<>$", false},
        {"pattern with dot", {23, 26, 30, 33, 36, 39, 42}, letters + digits + "._<>$?", false},
        {"pattern", {24, 27, 31, 34, 37, 40, 43}, letters + digits + "_?", false},
        {"scoped identifier", {29}, letters + digits + "_:", false},
        {"anything", {45}, printableAsciiExcept(""), true},
        {"e-mail", {48}, letters + digits + "!#$%&*+-./=?@\\^_`{|}~ \"", false},
        {"telephone", {49}, digits + " +", false},
        {"host name", {50}, letters + digits + "-.", false},
        {"no blank", {51}, printableAsciiExcept(" "), false},
    };
    return rows;
}

TEST(IsCharAllowedTest, TheTableCoversEveryTypeOnce)
{
    std::multiset<int> seen;
    for (const filterRow& row : filterTable())
    {
        seen.insert(row.types.begin(), row.types.end());
    }
    for (int type = 0; type <= 58; ++type)
    {
        EXPECT_EQ(seen.count(type), 1u) << "type " << type;
    }
    EXPECT_EQ(seen.size(), 59u);
}

TEST(IsCharAllowedTest, EveryTypeAgainstEveryAsciiCharacter)
{
    for (const filterRow& row : filterTable())
    {
        for (const int type : row.types)
        {
            for (UINT c = 0; c <= 0x7F; ++c)
            {
                const bool expected =
                    c < 0x20 || row.acceptedAscii.find(static_cast<char>(c)) != std::string::npos;
                EXPECT_EQ(IsCharAllowed(c, type), expected)
                    << row.family << ", type " << type << ", character 0x" << std::hex << c;
            }
        }
    }
}

TEST(IsCharAllowedTest, CharactersAboveAsciiAreNeitherLettersNorDigits)
{
    const UINT above[] = {0xE9 /* é */, 0x3A9 /* Ω */, 0x660 /* Arabic-Indic zero */, 0xFF21,
                          0xFFFF};
    for (const filterRow& row : filterTable())
    {
        for (const int type : row.types)
        {
            for (const UINT c : above)
            {
                EXPECT_EQ(IsCharAllowed(c, type), row.acceptsAbove7F)
                    << row.family << ", type " << type << ", character 0x" << std::hex << c;
            }
        }
    }
}

TEST(IsCharAllowedTest, UnknownTypesAcceptOnlyControlCharacters)
{
    for (const int type : {-1, 59, 60, 1000, INT_MIN, INT_MAX})
    {
        for (UINT c = 0; c < 0x20; ++c)
        {
            EXPECT_TRUE(IsCharAllowed(c, type)) << type << " " << c;
        }
        for (const UINT c : {0x20u, 0x41u, 0x7Fu, 0xE9u, 0xFFFFu})
        {
            EXPECT_FALSE(IsCharAllowed(c, type)) << type << " " << c;
        }
    }
}

// ---- Rules that need no file system ---------------------------------------------------------

TEST(validationRuleTest, OnlyTheRuledTypesHaveRules)
{
    const std::set<int> ruled = {13, 14, 15, 16, 17, 48, 50, 51, 52, 53, 54, 56, 57, 58};
    for (int type = -1; type <= 59; ++type)
    {
        EXPECT_EQ(HasValidationRule(type), ruled.count(type) == 1) << type;
        if (ruled.count(type) == 0)
        {
            EXPECT_TRUE(IsValidForInputType(u"<<not \"checked\">>", type)) << type;
            EXPECT_TRUE(IsValidForInputType(nullptr, type)) << type;
        }
    }
}

TEST(validationRuleTest, HostNameCharacters)
{
    EXPECT_TRUE(IsValidForInputType(u"", 50));
    EXPECT_TRUE(IsValidForInputType(u"build-01.example.org", 50));
    EXPECT_FALSE(IsValidForInputType(u"build_01", 50));
    EXPECT_FALSE(IsValidForInputType(u"host name", 50));
    EXPECT_FALSE(IsValidForInputType(u"h\u00E9te", 50));
}

TEST(validationRuleTest, AtMostOneQuestionMark)
{
    EXPECT_TRUE(IsValidForInputType(u"", 51));
    EXPECT_TRUE(IsValidForInputType(u"a?b", 51));
    EXPECT_TRUE(IsValidForInputType(u"?", 51));
    EXPECT_FALSE(IsValidForInputType(u"a?b?", 51));
    EXPECT_FALSE(IsValidForInputType(u"??", 51));
}

// ---- The e-mail address rule ----------------------------------------------------------------

struct emailCase
{
    const char16_t* text;
    bool valid;
    const char* why;
};

TEST(emailRuleTest, AddressesThatPass)
{
    const emailCase cases[] = {
        {u"user@host", true, "one-label domain without any dot"},
        {u"first.last@mail.example.org", true, "dotted local part and domain"},
        {u"  user@example.org\t", true, "surrounding white space is ignored"},
        {u"\"john smith\"@example.org", true, "quoted run holding a blank"},
        {u"\"a b c\"@example.org", true, "one quoted run may hold several blanks"},
        {u"x\"a b\"y@example.org", true, "quoted run inside the local part"},
        {u"user@my-host.example", true, "inner dash in a label"},
        {u"user@example.org.", true, "a final dot gives no empty label"},
        {u"user@.example", true, "an empty first label passes"},
        {u"a+b!#$%&*/=?^_`{|}~@x", true, "the other accepted characters"},
    };
    for (const emailCase& c : cases)
    {
        EXPECT_EQ(IsValidEmailAddress(c.text), c.valid) << c.why;
        EXPECT_EQ(IsValidForInputType(c.text, 48), c.valid) << c.why;
    }
}

TEST(emailRuleTest, AddressesThatFail)
{
    const emailCase cases[] = {
        {u"", false, "empty"},
        {u"   ", false, "only blanks"},
        {u".user@example.org", false, "leading dot"},
        {u" .user@example.org", false, "leading dot after trimming"},
        {u"user@example.", false, "the first dot is the last character"},
        {u"first..last@example.org", false, "two dots in a row"},
        {u"user@example..org", false, "two dots in the domain"},
        {u"user.example.org", false, "no @"},
        {u"user@@example.org", false, "two @ in a row"},
        {u"us@er@example.org", false, "two @ apart"},
        {u"@example.org", false, "empty local part"},
        {u"user@", false, "empty domain"},
        {u"john smith@example.org", false, "blank outside quotes"},
        {u"\"john\" smith@example.org", false, "blank after a closed quoted run"},
        {u"\"john smith@example.org", false, "blank without a closing quote"},
        {u"\"johnsmith\"@example.org", false, "quoted run without a blank"},
        {u"\"john@example.org", false, "quote left open"},
        {u"user@-example.org", false, "label starting with -"},
        {u"user@example-.org", false, "label ending with -"},
        {u"user@example.org-", false, "last label ending with -"},
        {u"user@my_host.org", false, "underscore in a label, though it can be typed"},
        {u"user@ho st.org", false, "blank in a label"},
        {u"user@h\u00E9te.org", false, "non-ASCII letter in a label"},
    };
    for (const emailCase& c : cases)
    {
        EXPECT_EQ(IsValidEmailAddress(c.text), c.valid) << c.why;
    }
}

TEST(emailRuleTest, DomainLabels)
{
    EXPECT_TRUE(IsValidDomainLabel(u""));
    EXPECT_TRUE(IsValidDomainLabel(u"a"));
    EXPECT_TRUE(IsValidDomainLabel(u"a-1-b"));
    EXPECT_TRUE(IsValidDomainLabel(u"XN--abc"));
    EXPECT_FALSE(IsValidDomainLabel(u"-"));
    EXPECT_FALSE(IsValidDomainLabel(u"-a"));
    EXPECT_FALSE(IsValidDomainLabel(u"a-"));
    EXPECT_FALSE(IsValidDomainLabel(u"a_b"));
    EXPECT_FALSE(IsValidDomainLabel(u"a.b"));
}

// ---- Rules that ask the file system ---------------------------------------------------------

class pathRuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = testsupport::sandboxRoot() / "rules";
        fs::create_directories(m_root / "dir");
        fs::create_directories(m_root / "x.exe");
        for (const char* name : {"tool.exe", "TOOL2.EXE", "lib.dll", "Lib2.DLL", "notes.txt"})
        {
            std::ofstream(m_root / name) << "x";
        }
    }

    std::u16string at(const std::string& name) const
    {
        return wideText::fromUtf8((m_root / name).string());
    }
    bool valid(const std::string& name, int type) const
    {
        return IsValidForInputType(at(name).c_str(), type);
    }

    fs::path m_root;
};

TEST_F(pathRuleTest, ExistingDirectory)
{
    EXPECT_TRUE(valid("dir", 13));
    EXPECT_TRUE(valid("dir/", 13));
    EXPECT_FALSE(valid("notes.txt", 13));
    EXPECT_FALSE(valid("missing", 13));
    EXPECT_FALSE(IsValidForInputType(u"", 13));
    EXPECT_FALSE(valid("dir ", 13)); // nothing is trimmed
}

TEST_F(pathRuleTest, ExistingPlainFile)
{
    for (const int type : {14, 15, 16, 17})
    {
        EXPECT_TRUE(valid("notes.txt", type));
        EXPECT_FALSE(valid("dir", type));
    }
}

TEST_F(pathRuleTest, DirectoryOrItsParent)
{
    EXPECT_TRUE(valid("dir", 52));
    EXPECT_TRUE(valid("dir/not-yet.txt", 52));
    EXPECT_TRUE(valid("notes.txt", 52)); // its folder exists
    EXPECT_FALSE(valid("missing/not-yet.txt", 52));
    EXPECT_FALSE(valid("notes.txt/x", 52)); // the part before the last "/" is a file
    EXPECT_FALSE(IsValidForInputType(u"no-separator-here", 52));
    EXPECT_FALSE(IsValidForInputType(u"", 52));
}

TEST_F(pathRuleTest, ExecutableAndLibraryExtensions)
{
    EXPECT_TRUE(valid("tool.exe", 53));
    EXPECT_TRUE(valid("TOOL2.EXE", 53)); // case is ignored
    EXPECT_FALSE(valid("x.exe", 53));    // a folder, whatever its name
    EXPECT_FALSE(valid("notes.txt", 53));
    EXPECT_FALSE(valid("lib.dll", 53));
    EXPECT_FALSE(valid("missing.exe", 53));

    EXPECT_TRUE(valid("lib.dll", 54));
    EXPECT_TRUE(valid("Lib2.DLL", 54));
    EXPECT_FALSE(valid("tool.exe", 54));
}

TEST_F(pathRuleTest, PlainFileIfAPath)
{
    for (const int type : {56, 57, 58})
    {
        EXPECT_TRUE(IsValidForInputType(u"nowhere.txt", type)); // a bare name is not looked up
        EXPECT_TRUE(IsValidForInputType(u"", type));
        EXPECT_TRUE(valid("notes.txt", type));
        EXPECT_FALSE(valid("dir", type));
        EXPECT_FALSE(valid("missing.txt", type));
        EXPECT_FALSE(IsValidForInputType(u"no\\where.txt", type));
    }
}

} // namespace
