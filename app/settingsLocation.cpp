#include "app/settingsLocation.h"

namespace
{
constexpr const WCHAR* kDefaultProfile = u".DEFAULT";
constexpr const WCHAR* kSoftware = u"Software";
constexpr const WCHAR* kMaker = u"Corvane";
constexpr const WCHAR* kProduct = u"Tarnwickx64";

void closeSlot(HKEY& slot)
{
    if (slot != nullptr)
    {
        RegCloseKey(slot);
        slot = nullptr;
    }
}
} // namespace

settingsLocation::~settingsLocation()
{
    CloseSettingsKey();
}

bool settingsLocation::OpenUserSettingsKey(REGSAM access)
{
    const WCHAR* const names[] = {kSoftware, kMaker, kProduct};
    HKEY* const slots[] = {&m_softwareKey, &m_makerKey, &m_productKey};
    return openChain(HKEY_CURRENT_USER, names, slots, access);
}

bool settingsLocation::OpenDefaultUserSettingsKey(REGSAM access)
{
    const WCHAR* const names[] = {kDefaultProfile, kSoftware, kMaker, kProduct};
    HKEY* const slots[] = {&m_defaultRootKey, &m_softwareKey, &m_makerKey, &m_productKey};
    return openChain(HKEY_USERS, names, slots, access);
}

void settingsLocation::CloseSettingsKey()
{
    closeSlot(m_productKey);
    closeSlot(m_makerKey);
    closeSlot(m_softwareKey);
    closeSlot(m_defaultRootKey);
}

bool settingsLocation::openChain(HKEY root, std::span<const WCHAR* const> names,
                                 std::span<HKEY* const> slots, REGSAM access)
{
    // A pass reuses the slots of the last one; a handle left open there would leak.
    CloseSettingsKey();
    HKEY parent = root;
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        HKEY opened = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(parent, names[i], 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                            &opened, &disposition) != ERROR_SUCCESS)
        {
            return false;
        }
        *slots[i] = opened;
        parent = opened;
    }
    return true;
}
