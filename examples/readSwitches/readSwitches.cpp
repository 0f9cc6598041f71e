// Opens the product key of the current user read-only and prints a few switches through the
// registry-backed settings store, as the product's own code reads what the dialog applied.

#include <reZevavEvadurov/readWriteSettingsToRegistry.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/stubString.h>

#include <cstdio>
#include <string>

namespace
{

void printNumber(const char* name, bool read, unsigned long value)
{
    if (read)
    {
        std::printf("%s = %lu\n", name, value);
    }
    else
    {
        std::printf("%s is not set\n", name);
    }
}

// UTF-16 to UTF-8 for the terminal; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        else if (c >= 0xD800 && c <= 0xDFFF)
        {
            c = 0xFFFD;
        }
        if (c < 0x80)
        {
            out += static_cast<char>(c);
        }
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

int main()
{
    HKEY key = nullptr;
    const LSTATUS opened =
        RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64", 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS)
    {
        std::fprintf(stderr, "readSwitches: the product key cannot be opened (error %d)\n",
                     static_cast<int>(opened));
        return 1;
    }
    {
        // The store borrows the key; it is closed below, after the store is gone.
        readWriteSettingsToRegistry store;
        store.setKey(key);

        // Each read comes before its print: argument order is unspecified.
        unsigned int heap = 0;
        const bool heapRead = store.readUInt(u"debugHeap", heap) != 0;
        printNumber("debugHeap", heapRead, heap);
        DWORD order = 0;
        const bool orderRead = store.readDword(u"debugStartupOrder", order) != 0;
        printNumber("debugStartupOrder", orderRead, order);
        char crt = 0;
        const bool crtRead = store.readChar(u"advancedCRTEnable", crt) != 0;
        printNumber("advancedCRTEnable", crtRead, static_cast<unsigned char>(crt));
        stubString directory;
        if (store.readString(u"debugCreateMinidumpsOnExceptionDirectory", directory) != 0)
        {
            std::printf("debugCreateMinidumpsOnExceptionDirectory = %s\n",
                        toUtf8(directory.str()).c_str());
        }
        else
        {
            std::printf("debugCreateMinidumpsOnExceptionDirectory is not set\n");
        }
    }
    RegCloseKey(key);
    return 0;
}
