#include "app/debugSettingsPass.h"

#include "settings/readWriteSettingsToRegistry.h"

namespace
{
std::size_t rowCount()
{
    return debugSettingsCatalogue::rows().size();
}

bool writeLocation(settingsLocation& location, bool opened, const WCHAR* logFileName,
                   const debugSettingsValues& values)
{
    bool written = false;
    if (opened)
    {
        readWriteSettingsToRegistry store;
        store.setKey(location.productKey());
        written = debugSettingsPass::writeRows(store, logFileName, values) ==
                  static_cast<int>(rowCount());
    }
    location.CloseSettingsKey();
    return written;
}
} // namespace

int debugSettingsPass::readRows(readWriteSettings& store, debugSettingsValues& values)
{
    const auto rows = debugSettingsCatalogue::rows();
    values.numbers.resize(rows.size());
    int read = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const debugSetting& row = rows[i];
        DWORD& number = values.numbers[i];
        switch (row.access())
        {
        case settingAccess::Dword:
            read += store.readDword(row.valueName, number);
            break;
        case settingAccess::UInt:
            read += store.readUInt(row.valueName, number);
            break;
        case settingAccess::Char:
        {
            char byte = static_cast<char>(number);
            if (store.readChar(row.valueName, byte))
            {
                number = static_cast<unsigned char>(byte);
                ++read;
            }
            break;
        }
        case settingAccess::String:
            read += store.readString(row.valueName, values.text);
            break;
        }
    }
    return read;
}

int debugSettingsPass::writeRows(readWriteSettings& store, const WCHAR* logFileName,
                                 const debugSettingsValues& values)
{
    const auto rows = debugSettingsCatalogue::rows();
    int written = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const debugSetting& row = rows[i];
        const DWORD number = i < values.numbers.size() ? values.numbers[i] : row.startValue;
        switch (row.access())
        {
        case settingAccess::Dword:
            written += store.writeDword(logFileName, row.valueName, number);
            break;
        case settingAccess::UInt:
            written += store.writeUInt(logFileName, row.valueName, number);
            break;
        case settingAccess::Char:
            written += store.writeChar(logFileName, row.valueName, static_cast<char>(number));
            break;
        case settingAccess::String:
            written += store.writeString(logFileName, row.valueName, values.text);
            break;
        }
    }
    return written;
}

bool debugSettingsPass::load(settingsLocation& location, debugSettingsValues& values)
{
    const bool opened = location.OpenUserSettingsKey(settingsLocation::readAccess);
    if (opened)
    {
        readWriteSettingsToRegistry store;
        store.setKey(location.productKey());
        readRows(store, values);
    }
    location.CloseSettingsKey();
    return opened;
}

debugSettingsPass::applyResult debugSettingsPass::apply(settingsLocation& location,
                                                        const WCHAR* logFileName,
                                                        const debugSettingsValues& values)
{
    applyResult result;
    result.userWritten =
        writeLocation(location, location.OpenUserSettingsKey(settingsLocation::readWriteAccess),
                      logFileName, values);
    result.defaultProfileWritten = writeLocation(
        location, location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess),
        logFileName, values);
    return result;
}
