#include "support/boundedText.h"
#include "support/logFile.h"
#include "support/logFileState.h"
#include "support/stubSyncLock.h"
#include <reZevavEvadurov/lastError.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

using namespace logFileState;

namespace
{

// The name's number in `map`, numbering it when it is new; 0 when it cannot be stored (so
// that no number is ever given to two names).
DWORD numberOf(stubCriticalSection& lock, stubMapStringToPtr& map, const WCHAR* name)
{
    const stubSyncLock guard(&lock, TRUE);
    try
    {
        // Both copy the key, so both may run out of memory.
        void* stored = nullptr;
        if (map.Lookup(name, stored) != FALSE)
        {
            return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(stored));
        }
        const auto number = static_cast<DWORD>(map.GetCount() + 1);
        map.SetAt(name, reinterpret_cast<void*>(static_cast<std::uintptr_t>(number)));
        return number;
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

template <class Char, std::size_t Capacity>
void composeToken(supportText::boundedText<Char, Capacity>& token, const char* prefix, DWORD number)
{
    token.append(prefix).append("0x").appendHex(number, 8, false);
}

void writeToken(const WCHAR* fileName, const char* prefix, DWORD number)
{
    if (number == 0)
    {
        return;
    }
    supportText::boundedText<char, nameTokenCapacity> token;
    composeToken(token, prefix, number);
    logFile::writeToLogFile(fileName, token.c_str());
}

void fillToken(WCHAR* token, const char* prefix, DWORD number)
{
    if (token == nullptr)
    {
        return;
    }
    supportText::boundedText<WCHAR, nameTokenCapacity> text;
    if (number != 0)
    {
        composeToken(text, prefix, number);
    }
    std::copy_n(text.c_str(), text.length() + 1, token);
}

} // namespace

void writeFunctionNameToLogFile(const WCHAR* fileName, const WCHAR* functionName)
{
    if (functionName == nullptr)
    {
        return;
    }
    const lastErrorPreserver preserveLastError;
    writeToken(fileName, "Function_", numberOf(functionNameMapLock, functionNameMap, functionName));
}

void writeFunctionNameToLogFile(const WCHAR* fileName, const char* functionName)
{
    if (functionName == nullptr)
    {
        return;
    }
    const lastErrorPreserver preserveLastError;
    try
    {
        // Byte for byte, so that distinct 8-bit names stay distinct.
        std::u16string wide;
        for (const char* c = functionName; *c != 0; ++c)
        {
            wide.push_back(static_cast<WCHAR>(static_cast<unsigned char>(*c)));
        }
        writeToken(fileName, "Function_",
                   numberOf(functionNameMapLock, functionNameMap, wide.c_str()));
    }
    catch (const std::bad_alloc&)
    {
    }
}

void writeFileNameToLogFile(const WCHAR* fileName, const WCHAR* nameToNumber)
{
    if (nameToNumber == nullptr)
    {
        return;
    }
    const lastErrorPreserver preserveLastError;
    writeToken(fileName, "Filename_", numberOf(fileNameMapLock, fileNameMap, nameToNumber));
}

void makeFunctionNameToken(const WCHAR* functionName, WCHAR* token)
{
    const lastErrorPreserver preserveLastError;
    fillToken(token, "Function_",
              functionName != nullptr ? numberOf(functionNameMapLock, functionNameMap, functionName)
                                      : 0);
}

void makeFileNameMapToken(const WCHAR* nameToNumber, WCHAR* token)
{
    const lastErrorPreserver preserveLastError;
    fillToken(token, "FilenameMap_",
              nameToNumber != nullptr ? numberOf(fileNameMapLock, fileNameMap, nameToNumber) : 0);
}
