#include "support/CPersistStubStringArray.h"

int CPersistStubStringArray::Add(const WCHAR* text)
{
    stubString* copy = nullptr;
    try
    {
        copy = new (std::nothrow) stubString(text == nullptr ? u"" : text);
    }
    catch (const std::bad_alloc&)
    {
        return addOutOfMemory; // the text copy; the object has been released with it
    }
    if (copy == nullptr)
    {
        return addOutOfMemory;
    }
    const int result = CVector<stubString*>::Add(copy);
    if (result != addSucceeded)
    {
        delete copy; // the array did not take it
    }
    return result;
}

void CPersistStubStringArray::DeleteAll()
{
    for (DWORD i = 0; i < m_count; ++i)
    {
        delete m_elements[i];
        m_elements[i] = nullptr;
    }
    RemoveAll();
}

int CPersistStubStringArray::Copy(const CVector<stubString*>& other)
{
    if (&other == this)
    {
        return 1; // deleting first would destroy the source
    }
    DeleteAll();
    for (DWORD i = 0; i < other.GetCount(); ++i)
    {
        const stubString* const source = other.GetAt(i);
        const int result =
            source == nullptr ? CVector<stubString*>::Add(nullptr) : Add(source->c_str());
        if (result != addSucceeded)
        {
            return 0;
        }
    }
    return 1;
}

int CPersistStubStringArray::Find(const WCHAR* text) const
{
    for (DWORD i = 0; i < m_count; ++i)
    {
        const stubString* const s = m_elements[i];
        if (s != nullptr && s->CompareNoCase(text) == 0)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}
