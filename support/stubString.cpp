#include <reZevavEvadurov/stubString.h>

#include "platform/wideText.h"
#include "support/stubHeap.h"

#include <string_view>

namespace
{
// The one 8-bit conversion of the class, for whole strings and single characters alike.
std::u16string widen(std::string_view text)
{
    return wideText::fromUtf8(text, wideText::invalidUtf8::keepAsLatin1);
}

std::u16string widen(const char* text)
{
    return text == nullptr ? std::u16string() : widen(std::string_view(text));
}

std::u16string copyOf(const WCHAR* text)
{
    return text == nullptr ? std::u16string() : std::u16string(text, wideText::length(text));
}
} // namespace

stubString::stubString(const WCHAR* text) : m_text(copyOf(text)) {}

stubString::stubString(const char* text) : m_text(widen(text)) {}

stubString& stubString::operator=(const WCHAR* text)
{
    // Through a copy, so assigning a pointer into this string's own text is safe.
    m_text = copyOf(text);
    return *this;
}

stubString& stubString::operator=(const char* text)
{
    m_text = widen(text);
    return *this;
}

// A terminator is never stored: the text must stay a valid C string of GetLength() units.
stubString& stubString::operator+=(WCHAR c)
{
    if (c != 0)
    {
        m_text += c;
    }
    return *this;
}

stubString& stubString::operator+=(char c)
{
    if (c != 0)
    {
        m_text += widen(std::string_view(&c, 1));
    }
    return *this;
}

stubString& stubString::operator+=(const WCHAR* text)
{
    if (text != nullptr)
    {
        m_text += copyOf(text);
    }
    return *this;
}

stubString& stubString::operator+=(const stubString& text)
{
    m_text += text.m_text;
    return *this;
}

int stubString::CompareNoCase(const WCHAR* text) const
{
    return wideText::compareNoCase(m_text.c_str(), text == nullptr ? u"" : text);
}

bool stubString::operator==(const WCHAR* text) const
{
    if (text == nullptr)
    {
        return m_text.empty();
    }
    return wideText::compare(m_text.c_str(), text) == 0;
}

void* stubString::operator new(std::size_t size)
{
    void* const block = corHeapAlloc(0, size);
    if (block == nullptr)
    {
        throw std::bad_alloc();
    }
    return block;
}

void* stubString::operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return corHeapAlloc(0, size);
}

void stubString::operator delete(void* block) noexcept
{
    corHeapFree(0, block);
}

void stubString::operator delete(void* block, const std::nothrow_t&) noexcept
{
    corHeapFree(0, block);
}
