// Opens the product key of the current user read-only and prints a few switches through the
// registry-backed settings store, as the product's own code reads what the dialog applied.

#include "platform/wideText.h"
#include "support/stubHeap.h"
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

} // namespace

int main()
{
    // The store's strings live on the support library's private heap.
    createStubHeap();

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
                        wideText::toUtf8(directory.c_str()).c_str());
        }
        else
        {
            std::printf("debugCreateMinidumpsOnExceptionDirectory is not set\n");
        }
    }
    RegCloseKey(key);
    return 0;
}
