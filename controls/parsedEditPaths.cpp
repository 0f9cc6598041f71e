#include "controls/parsedEditPaths.h"

#include "platform/fileSystem.h"

bool PathHasSeparator(const WCHAR* text)
{
    if (text == nullptr)
    {
        return false;
    }
    for (; *text != 0; ++text)
    {
        if (*text == u'\\' || *text == u'/')
        {
            return true;
        }
    }
    return false;
}

bool IsExistingDirectory(const WCHAR* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingPlainFile(const WCHAR* path)
{
    constexpr DWORD notPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_SYSTEM |
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_REPARSE_POINT |
        FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_INTEGRITY_STREAM | FILE_ATTRIBUTE_VIRTUAL;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & notPlain) == 0;
}
