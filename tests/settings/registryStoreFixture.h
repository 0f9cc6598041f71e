#pragma once

// Fixture for the registry-backed store: a fresh key HKEY_CURRENT_USER\Software\RzStoreTest in
// the test's own hive, a store borrowing it, and raw access to the stored values so tests see
// the exact type and bytes. Also reads back what the diagnostic log received.

#include "platform/wideText.h"
#include "support/logFile.h"
#include "tests/support/stubHeapFixture.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/readWriteSettingsToRegistry.h>
#include <reZevavEvadurov/registry.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Turns the diagnostic log on for one scope and off again, whatever the test does.
class loggingOn
{
public:
    loggingOn() { setLoggingEnabled(1); }
    ~loggingOn() { setLoggingEnabled(0); }
    loggingOn(const loggingOn&) = delete;
    loggingOn& operator=(const loggingOn&) = delete;
};

struct rawValue
{
    LSTATUS result = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

class registryStoreFixture : public stubHeapFixture
{
protected:
    void SetUp() override
    {
        stubHeapFixture::SetUp();
        m_openHandles = regOpenHandleCount();
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\RzStoreTest", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                  static_cast<LSTATUS>(ERROR_SUCCESS));
        store.setKey(m_key);
    }

    void TearDown() override
    {
        store.setKey(nullptr);
        if (m_readOnlyKey != nullptr)
        {
            RegCloseKey(m_readOnlyKey);
        }
        RegCloseKey(m_key);
        EXPECT_EQ(regOpenHandleCount(), m_openHandles) << "a key handle was left open";
        stubHeapFixture::TearDown();
    }

    HKEY key() const { return m_key; }

    // The same key opened with KEY_READ alone: every set through it is refused.
    HKEY readOnlyKey()
    {
        if (m_readOnlyKey == nullptr)
        {
            EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\RzStoreTest", 0, KEY_READ,
                                    &m_readOnlyKey),
                      static_cast<LSTATUS>(ERROR_SUCCESS));
        }
        return m_readOnlyKey;
    }

    rawValue raw(const WCHAR* name) const
    {
        rawValue value;
        DWORD size = 0;
        value.result = RegQueryValueExW(m_key, name, nullptr, &value.type, nullptr, &size);
        if (value.result == ERROR_SUCCESS)
        {
            value.bytes.resize(size);
            value.result =
                RegQueryValueExW(m_key, name, nullptr, &value.type, value.bytes.data(), &size);
            value.bytes.resize(size);
        }
        return value;
    }

    bool exists(const WCHAR* name) const { return raw(name).result == ERROR_SUCCESS; }

    void setRaw(const WCHAR* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), size),
                  static_cast<LSTATUS>(ERROR_SUCCESS));
    }

    void setDword(const WCHAR* name, DWORD value) { setRaw(name, REG_DWORD, &value, sizeof value); }

    // Stores `text` with its terminator, as writeString does.
    void setSz(const WCHAR* name, const std::u16string& text)
    {
        setRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }

    static std::vector<BYTE> bytesOf(const void* data, std::size_t size)
    {
        const BYTE* const p = static_cast<const BYTE*>(data);
        return std::vector<BYTE>(p, p + size);
    }

    static std::vector<BYTE> wideBytes(const std::u16string& text)
    {
        return bytesOf(text.c_str(), (text.size() + 1) * 2);
    }

    // A log file of this test, as the UTF-16 path the store is given.
    static std::u16string logPath(const char* file = "storeLog.txt")
    {
        return wideText::fromUtf8((testsupport::sandboxRoot() / file).string());
    }

    // Everything a log file holds, as UTF-8; empty when there is no file. The 8-bit and the
    // wide report forms write different encodings, so a test gives each its own file.
    static std::string logText(const char* file = "storeLog.txt", bool wide = true)
    {
        std::ifstream in(testsupport::sandboxRoot() / file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        if (!wide)
        {
            return bytes;
        }
        std::u16string text(bytes.size() / 2, u'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);
        return wideText::toUtf8(text);
    }

    static std::string repeat(char c, std::size_t n) { return std::string(n, c); }
    static std::u16string repeatW(char16_t c, std::size_t n) { return std::u16string(n, c); }

    readWriteSettingsToRegistry store;

private:
    HKEY m_key = nullptr;
    HKEY m_readOnlyKey = nullptr;
    DWORD m_openHandles = 0;
};
