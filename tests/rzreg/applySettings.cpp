// Writes the settings as the dialog's Apply does (the same pass over the catalogue, to both
// locations), for the install check: applySettings DIRECTORY [valueName=number ...]. The other
// rows keep their start values. Exit status 0 when the current user's key got every row.

#include "app/debugSettingsPass.h"
#include "platform/wideText.h"
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
    return debugSettingsPass::apply(location, nullptr, values).userWritten ? 0 : 1;
}
