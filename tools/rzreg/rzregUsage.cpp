#include "tools/rzreg/rzregReport.h"

#ifndef RZ_VERSION
#error "RZ_VERSION must name the program's version"
#endif

#include <array>
#include <string_view>

namespace
{

struct usageEntry
{
    std::string_view operation;
    std::string_view text;
};

constexpr std::string_view keyLines =
    "  KEYNAME    ROOTKEY[\\SubKey]\n"
    "    ROOTKEY  [ HKCU | HKU ], or HKEY_CURRENT_USER | HKEY_USERS\n"
    "    SubKey   the full name of a registry key under the selected ROOTKEY.\n";

constexpr std::array<usageEntry, 8> usageTable{{
    {"", "RZREG Operation [Parameter List]\n"
         "\n"
         "  Operation  [ QUERY   | ADD    | DELETE  | COPY |\n"
         "               EXPORT  | IMPORT | COMPARE ]\n"
         "\n"
         "Return Code: (Except for COMPARE)\n"
         "\n"
         "  0 - Successful\n"
         "  1 - Failed\n"
         "\n"
         "For help on a specific operation type:\n"
         "\n"
         "  RZREG Operation /?\n"
         "\n"
         "Examples:\n"
         "\n"
         "  RZREG QUERY /?\n"
         "  RZREG ADD /?\n"
         "  RZREG DELETE /?\n"
         "  RZREG COPY /?\n"
         "  RZREG EXPORT /?\n"
         "  RZREG IMPORT /?\n"
         "  RZREG COMPARE /?\n"
         "\n"
         "  rzreg --version shows the version.\n"},
    {"QUERY", "RZREG QUERY KeyName [/v ValueName | /ve] [/s]\n"
              "\n"
              "  /v       Queries for a specific registry key value.\n"
              "  /ve      Queries for the default value or empty value name (Default).\n"
              "  /s       Queries all subkeys and values recursively (like dir /s).\n"},
    {"ADD", "RZREG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n"
            "\n"
            "  /v       The value name, under the selected Key, to add.\n"
            "  /ve      Adds an empty value name (Default) for the key.\n"
            "           Without /v or /ve the default value is set.\n"
            "  /t       RegKey data types\n"
            "           [ REG_SZ    | REG_MULTI_SZ | REG_EXPAND_SZ |\n"
            "             REG_DWORD | REG_QWORD    | REG_BINARY    | REG_NONE |\n"
            "             REG_DWORD_BIG_ENDIAN | REG_DWORD_LITTLE_ENDIAN ]\n"
            "           If omitted, REG_SZ is assumed.\n"
            "  /s       Specify one character that you use as the separator in your data\n"
            "           string for REG_MULTI_SZ. If omitted, use \"\\0\" as the separator.\n"
            "  /d       The data to assign to the registry ValueName being added.\n"
            "           Numbers are decimal or 0x-prefixed (\"-1\" is all ones, none is 0),\n"
            "           REG_BINARY hex digits, REG_NONE text.\n"
            "  /f       Force overwriting the existing registry entry without prompt.\n"},
    {"DELETE", "RZREG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
               "\n"
               "  /v       The value name, under the selected Key, to delete.\n"
               "           When omitted, all subkeys and values under the Key are deleted.\n"
               "  /ve      Delete the value of empty value name (Default).\n"
               "  /va      Delete all values under this key.\n"
               "  /f       Forces the deletion without prompt.\n"},
    {"EXPORT", "RZREG EXPORT KeyName FileName [/y]\n"
               "\n"
               "  FileName  The name of the disk file to export.\n"
               "  /y        Force overwriting the existing file without prompt.\n"
               "\n"
               "  The file is a .reg file (Windows Registry Editor Version 5.00,\n"
               "  UTF-16LE) that imports on Windows as it is.\n"},
    {"IMPORT", "RZREG IMPORT FileName\n"
               "\n"
               "  FileName  The name of the disk file to import (a .reg file in UTF-16LE\n"
               "            or UTF-8; REGEDIT4 files are accepted too). The file is checked\n"
               "            whole before anything is written.\n"},
    {"COPY", "RZREG COPY KeyName1 KeyName2 [/s] [/f]\n"
             "\n"
             "  KeyName1  The key whose values are copied; KeyName2 is created if missing.\n"
             "            KeyName2 may not be KeyName1 or a key below it.\n"
             "  /s       Copies all subkeys and values.\n"
             "  /f       Forces the copy without prompt.\n"},
    {"COMPARE",
     "RZREG COMPARE KeyName1 KeyName2 [/v ValueName | /ve] [/oa | /od | /os | /on] [/s]\n"
     "\n"
     "  ValueName  The name of the value, under the selected Key, to compare.\n"
     "             When omitted, all values under the Key are compared.\n"
     "  /ve      Compare the value of empty value name (Default).\n"
     "  /oa      Output all of differences and matches.\n"
     "  /od      Output only differences (the default).\n"
     "  /os      Output only matches.\n"
     "  /on      No output.\n"
     "  /s       Compare all subkeys and values.\n"
     "\n"
     "  Lines start with < (only in, or as in, KeyName1), > (KeyName2) or\n"
     "  = (the same in both).\n"
     "\n"
     "Return Code:\n"
     "\n"
     "  0 - Successful and the result compared is identical\n"
     "  1 - Failed\n"
     "  2 - Successful and the result compared is different\n"},
}};

} // namespace

std::string rzregUsage(const std::string& operation)
{
    for (const usageEntry& entry : usageTable)
    {
        if (entry.operation == operation)
        {
            // Appended piece by piece: g++ 12 at -O3 misreads literal + string (-Wrestrict).
            std::string text(1, '\n');
            text += entry.text;
            if (!operation.empty() && operation != "IMPORT")
            {
                text += '\n';
                text += keyLines;
            }
            return text;
        }
    }
    return {};
}

std::string rzregVersion()
{
    return "rzreg " RZ_VERSION "\n";
}
