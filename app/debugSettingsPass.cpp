#include "app/debugSettingsPass.h"

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
