#include "support/hashTableString.h"

template class hashMap<stubString, const WCHAR*, void*, void*>;

hashTableString::hashTableString(int blockSize) : hashMap(blockSize) {}

BOOL hashTableString::LookupKey(const WCHAR* key, const WCHAR*& storedKey) const
{
    UINT bucket = 0;
    const entry* const found = find(key, bucket);
    if (found == nullptr)
    {
        return FALSE;
    }
    storedKey = found->key.c_str();
    return TRUE;
}
