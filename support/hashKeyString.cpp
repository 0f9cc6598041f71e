#include "support/hashKeyString.h"

UINT hashKeyString(const WCHAR* text)
{
    UINT hash = 0;
    if (text != nullptr)
    {
        for (; *text != 0; ++text)
        {
            hash = hash * 33u + static_cast<UINT>(*text);
        }
    }
    return hash;
}

UINT hashKeyStringA(const char* text)
{
    UINT hash = 0;
    if (text != nullptr)
    {
        for (; *text != 0; ++text)
        {
            // Conversion of a negative value is modulo 2^32, which is the "minus 256" rule.
            hash = hash * 33u + static_cast<UINT>(static_cast<signed char>(*text));
        }
    }
    return hash;
}
