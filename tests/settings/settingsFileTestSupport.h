#pragma once

// Helpers for the file-backed store's tests: building file images byte by byte, reading and
// writing whole files, and paths inside the test's sandbox.

#include "platform/wideText.h"
#include "tests/support/stubHeapFixture.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/winTypes.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace settingsFileTest
{

using bytes = std::vector<BYTE>;

// A file image written field by field, little-endian, exactly as given (counts and lengths
// are whatever the test says, so damaged images are as easy as whole ones).
class imageBuilder
{
public:
    imageBuilder& u32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
        {
            m_bytes.push_back(static_cast<BYTE>(value >> shift));
        }
        return *this;
    }
    imageBuilder& raw(std::initializer_list<BYTE> values)
    {
        m_bytes.insert(m_bytes.end(), values);
        return *this;
    }
    imageBuilder& raw(const bytes& values)
    {
        m_bytes.insert(m_bytes.end(), values.begin(), values.end());
        return *this;
    }
    // UTF-16LE code units of `text` plus a zero code unit.
    imageBuilder& name(const std::u16string& text)
    {
        for (const char16_t unit : text)
        {
            m_bytes.push_back(static_cast<BYTE>(unit));
            m_bytes.push_back(static_cast<BYTE>(unit >> 8));
        }
        return raw({0, 0});
    }
    // One whole entry: L, name, tag, D, data.
    imageBuilder& entry(const std::u16string& text, std::int32_t tag, const bytes& data)
    {
        u32(static_cast<std::uint32_t>(text.size() * 2 + 2)).name(text);
        u32(static_cast<std::uint32_t>(tag)).u32(static_cast<std::uint32_t>(data.size()));
        return raw(data);
    }
    imageBuilder& number(const std::u16string& text, std::uint32_t value)
    {
        return entry(text, 4,
                     {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                      static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
    }
    const bytes& get() const { return m_bytes; }

private:
    bytes m_bytes;
};

inline void writeBytes(const std::filesystem::path& path, const bytes& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

inline bytes readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::u16string widePath(const std::filesystem::path& path)
{
    return wideText::fromUtf8(path.string());
}

// A test on the private heap with a settings file path in its sandbox.
class fileStoreFixture : public stubHeapFixture
{
protected:
    std::filesystem::path filePath(const char* name = "settings.bin") const
    {
        return testsupport::sandboxRoot() / name;
    }
    std::u16string wideFilePath(const char* name = "settings.bin") const
    {
        return widePath(filePath(name));
    }
};

} // namespace settingsFileTest
