#include "platform/errorText.h"

#include "platform/localMemory.h"
#include <reZevavEvadurov/lastError.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{

struct messageText
{
    DWORD code;
    const char* text;
};

// Windows' own texts, so that reports read the same on both systems.
constexpr messageText messages[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY,
     "Not enough memory resources are available to process this command.\r\n"},
    {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
    {ERROR_OUTOFMEMORY,
     "Not enough memory resources are available to complete this operation.\r\n"},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device.\r\n"},
    {ERROR_READ_FAULT, "The system cannot read from the specified device.\r\n"},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_NOT_SUPPORTED, "The request is not supported.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
    {ERROR_NEGATIVE_SEEK,
     "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {ERROR_BAD_PATHNAME, "The specified path is invalid.\r\n"},
    {ERROR_BUSY, "The requested resource is in use.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long.\r\n"},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {ERROR_MORE_DATA, "More data is available.\r\n"},
    {WAIT_TIMEOUT, "The wait operation timed out.\r\n"},
    {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
    {ERROR_DIRECTORY, "The directory name is invalid.\r\n"},
    {ERROR_BADDB, "The configuration registry database is corrupt.\r\n"},
    {ERROR_BADKEY, "The configuration registry key is invalid.\r\n"},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened.\r\n"},
    {ERROR_CANTREAD, "The configuration registry key could not be read.\r\n"},
    {ERROR_CANTWRITE, "The configuration registry key could not be written.\r\n"},
    {ERROR_REGISTRY_CORRUPT,
     "The registry is corrupted. The structure of one of the files containing registry data "
     "is corrupted, or the system's memory image of the file is corrupted, or the file could "
     "not be recovered because the alternate copy or log was absent or corrupted.\r\n"},
    {ERROR_REGISTRY_IO_FAILED,
     "An I/O operation initiated by the registry failed unrecoverably. The registry could not "
     "read in, or write out, or flush, one of the files that contain the system's image of the "
     "registry.\r\n"},
    {ERROR_KEY_DELETED,
     "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {ERROR_NOACCESS, "Invalid access to memory location.\r\n"},
    {ERROR_NOT_FOUND, "Element not found.\r\n"},
    {ERROR_RESOURCE_LANG_NOT_FOUND,
     "The specified resource language ID cannot be found in the image file.\r\n"},
    {ERROR_INVALID_TRANSACTION,
     "The transaction handle associated with this operation is not valid.\r\n"},
    {ERROR_TRANSACTION_NOT_ACTIVE, "The requested operation was made in the context of a "
                                   "transaction that is no longer active.\r\n"},
    {ERROR_TRANSACTION_REQUEST_NOT_VALID,
     "The requested operation is not valid on the Transaction object in its current state.\r\n"},
    {ERROR_TRANSACTION_ALREADY_ABORTED, "It is too late to perform the requested operation, "
                                        "since the Transaction has already been aborted.\r\n"},
    {ERROR_TRANSACTION_ALREADY_COMMITTED, "It is too late to perform the requested operation, "
                                          "since the Transaction has already been committed.\r\n"},
};

std::string systemText(DWORD code)
{
    const auto found = std::find_if(std::begin(messages), std::end(messages),
                                    [code](const messageText& m) { return m.code == code; });
    if (found != std::end(messages))
    {
        return found->text;
    }
    char generic[64];
    std::snprintf(generic, sizeof generic, "Unknown error %u (0x%08X).\r\n", code, code);
    return generic;
}

// FORMAT_MESSAGE_MAX_WIDTH_MASK: Windows drops the text's line breaks.
void dropLineBreaks(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    {
        text.pop_back();
    }
    std::replace(text.begin(), text.end(), '\r', ' ');
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
}

bool isSupportedLanguage(DWORD languageId)
{
    const DWORD primary = languageId & 0x3FF;
    return languageId == 0 || primary == LANG_NEUTRAL || primary == LANG_ENGLISH;
}

// The 8-bit text, or an error code with an empty text.
DWORD lookUp(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, std::string& text)
{
    const bool fromSystem = (flags & FORMAT_MESSAGE_FROM_SYSTEM) != 0;
    const bool fromModule = (flags & FORMAT_MESSAGE_FROM_HMODULE) != 0 && source != nullptr;
    if (!fromSystem || fromModule || (flags & FORMAT_MESSAGE_FROM_STRING) != 0)
    {
        return ERROR_INVALID_PARAMETER;
    }
    if (!isSupportedLanguage(languageId))
    {
        return ERROR_RESOURCE_LANG_NOT_FOUND;
    }
    text = systemText(messageId);
    if ((flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == FORMAT_MESSAGE_MAX_WIDTH_MASK)
    {
        dropLineBreaks(text);
    }
    return ERROR_SUCCESS;
}

// The texts are ASCII, so widening is one code unit per byte.
template <class Char> DWORD deliver(DWORD flags, const std::string& text, Char* buffer, DWORD size)
{
    const std::size_t needed = text.size() + 1;
    Char* target = buffer;
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0)
    {
        if (buffer == nullptr)
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const std::size_t chars = std::max<std::size_t>(needed, size);
        target = static_cast<Char*>(LocalAlloc(LMEM_FIXED, chars * sizeof(Char)));
        if (target == nullptr)
        {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        *reinterpret_cast<Char**>(buffer) = target;
    }
    else if (buffer == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    else if (size < needed)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::transform(text.begin(), text.end(), target,
                   [](char c) { return static_cast<Char>(static_cast<unsigned char>(c)); });
    target[text.size()] = 0;
    return static_cast<DWORD>(text.size());
}

template <class Char>
DWORD formatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, Char* buffer,
                    DWORD size)
{
    std::string text;
    const DWORD error = lookUp(flags, source, messageId, languageId, text);
    if (error != ERROR_SUCCESS)
    {
        SetLastError(error);
        return 0;
    }
    return deliver(flags, text, buffer, size);
}

} // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list*)
{
    return formatMessage(flags, source, messageId, languageId, buffer, size);
}

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list*)
{
    return formatMessage(flags, source, messageId, languageId, buffer, size);
}
