// Prints one of the product's switches (debugHeap, or the value named on the command line) at
// start and again each time its key changes, whichever program changed it (the dialog's Apply,
// rzreg): RegNotifyChangeKeyValue on the product key of the current user, in a loop. Runs
// until it is stopped.

#include <reZevavEvadurov/event.h>
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/readWriteSettingsToRegistry.h>
#include <reZevavEvadurov/registry.h>

#include <cstdio>
#include <string>

namespace
{

// Value names are ASCII; a byte outside it would not name a switch anyway.
std::u16string widened(const std::string& name)
{
    return std::u16string(name.begin(), name.end());
}

void printSwitch(readWriteSettingsToRegistry& store, const std::string& name)
{
    unsigned int value = 0;
    if (store.readUInt(widened(name).c_str(), value) != 0)
    {
        std::printf("%s = %u\n", name.c_str(), value);
    }
    else
    {
        std::printf("%s is not set\n", name.c_str());
    }
    std::fflush(stdout); // a reader at the other end of a pipe sees each line as it comes
}

} // namespace

int main(int argc, char** argv)
{
    const std::string name = argc > 1 ? argv[1] : "debugHeap";

    HKEY key = nullptr;
    const LSTATUS opened =
        RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64", 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS)
    {
        std::fprintf(stderr, "watchSwitches: the product key cannot be opened (error %d)\n",
                     static_cast<int>(opened));
        return 1;
    }
    const HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    int status = 0;
    {
        readWriteSettingsToRegistry store; // borrows the key, which outlives it
        store.setKey(key);
        for (;;)
        {
            // Register before reading: a change that lands in between is still told.
            const LSTATUS watched =
                RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
            if (watched != ERROR_SUCCESS)
            {
                std::fprintf(stderr, "watchSwitches: cannot watch the key (error %d)\n",
                             static_cast<int>(watched));
                status = 1;
                break;
            }
            printSwitch(store, name);
            WaitForSingleObject(changed, INFINITE);
        }
    }
    CloseHandle(changed);
    RegCloseKey(key);
    return status;
}
