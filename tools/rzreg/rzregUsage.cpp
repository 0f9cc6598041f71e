#include "tools/rzreg/rzregReport.h"

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

constexpr std::array<usageEntry, 6> usageTable{{
    {"", "RZREG Operation [Parameter List]\n"
         "\n"
         "  Operation  [ QUERY | ADD | DELETE | EXPORT | IMPORT ]\n"
         "\n"
         "Return Code:\n"
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
         "  RZREG EXPORT /?\n"
         "  RZREG IMPORT /?\n"},
    {"QUERY", "RZREG QUERY KeyName [/v ValueName | /ve] [/s]\n"
              "\n"
              "  /v       Queries for a specific registry key value.\n"
              "  /ve      Queries for the default value or empty value name (Default).\n"
              "  /s       Queries all subkeys and values recursively (like dir /s).\n"},
    {"ADD", "RZREG ADD KeyName [/v ValueName | /ve] [/t Type] [/d Data] [/f]\n"
            "\n"
            "  /v       The value name, under the selected Key, to add.\n"
            "  /ve      Adds an empty value name (Default) for the key.\n"
            "  /t       RegKey data types\n"
            "           [ REG_SZ    | REG_MULTI_SZ | REG_EXPAND_SZ |\n"
            "             REG_DWORD | REG_QWORD    | REG_BINARY    | REG_NONE ]\n"
            "           If omitted, REG_SZ is assumed.\n"
            "  /d       The data to assign to the registry ValueName being added.\n"
            "           REG_DWORD and REG_QWORD take a decimal or 0x-prefixed number,\n"
            "           REG_BINARY and REG_NONE pairs of hex digits, REG_MULTI_SZ\n"
            "           items separated by \\0.\n"
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
