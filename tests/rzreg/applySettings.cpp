// Writes the settings as the dialog's Apply does (the settings location opened for writing,
// a registry store on its product key, every catalogue row written, the key closed; the
// current user's location, then the default profile's), for the install check:
// applySettings DIRECTORY [valueName=number ...]. The other rows keep their start values.
// Exit status 0 when the current user's key got every row.

#include "app/debugSettingsPass.h"
#include "app/settingsLocation.h"
#include "platform/wideText.h"
#include "settings/readWriteSettingsToRegistry.h"
#include "support/stubHeap.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: applySettings DIRECTORY [valueName=number ...]\n");
        return 2;
    }
    createStubHeap();
    debugSettingsValues values =
        debugSettingsValues::startValues(wideText::fromUtf8(argv[1]).c_str());
    const auto rows = debugSettingsCatalogue::rows();
    for (int i = 2; i < argc; ++i)
    {
        const std::string pair = argv[i];
        const std::size_t equals = pair.find('=');
        const debugSetting* row =
            debugSettingsCatalogue::findByName(wideText::fromUtf8(pair.substr(0, equals)).c_str());
        if (row == nullptr || equals == std::string::npos)
        {
            std::fprintf(stderr, "applySettings: no setting %s\n", argv[i]);
            return 2;
        }
        values.numbers[static_cast<std::size_t>(row - rows.data())] =
            static_cast<DWORD>(std::strtoul(pair.c_str() + equals + 1, nullptr, 0));
    }
    settingsLocation location;
    const auto writeAll = [&]
    {
        readWriteSettingsToRegistry store;
        store.setKey(location.productKey());
        return debugSettingsPass::writeRows(store, nullptr, values) ==
               static_cast<int>(rows.size());
    };
    const bool userWritten =
        location.OpenUserSettingsKey(settingsLocation::readWriteAccess) && writeAll();
    location.CloseSettingsKey();
    if (location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess))
    {
        writeAll();
    }
    location.CloseSettingsKey();
    return userWritten ? 0 : 1;
}
