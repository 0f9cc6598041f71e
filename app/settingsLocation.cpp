#include "app/settingsLocation.h"

#include "support/logFile.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/transaction.h>

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

bool settingsLocation::CloseSettingsKey(const WCHAR* logFileName)
{
    const auto report = [logFileName](DWORD code, const char* context)
    {
        if (logFileName != nullptr)
        {
            writeSystemErrorToLogFile(logFileName, code, context, nullptr);
        }
    };
    // Committed before the keys close, so the close that ends the pass finds the hive free
    // to copy its journal into the database.
    bool kept = m_openFailure == ERROR_SUCCESS;
    if (m_openFailure != ERROR_SUCCESS)
    {
        report(static_cast<DWORD>(m_openFailure), "opening settings key");
        m_openFailure = ERROR_SUCCESS;
    }
    if (m_transaction != nullptr && !kept)
    {
        RollbackTransaction(m_transaction);
    }
    else if (m_transaction != nullptr && !CommitTransaction(m_transaction))
    {
        kept = false;
        report(GetLastError(), "committing settings");
    }
    closeSlot(m_productKey);
    closeSlot(m_makerKey);
    closeSlot(m_softwareKey);
    closeSlot(m_defaultRootKey);
    if (m_transaction != nullptr)
    {
        CloseHandle(m_transaction);
        m_transaction = nullptr;
    }
    return kept;
}

bool settingsLocation::openChain(HKEY root, std::span<const WCHAR* const> names,
                                 std::span<HKEY* const> slots, REGSAM access)
{
    // A pass reuses the slots of the last one; a handle left open there would leak.
    CloseSettingsKey();
    HANDLE const transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    if (transaction == INVALID_HANDLE_VALUE)
    {
        m_openFailure = static_cast<LSTATUS>(GetLastError());
        return false;
    }
    m_transaction = transaction;
    HKEY parent = root;
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        HKEY opened = nullptr;
        DWORD disposition = 0;
        m_openFailure =
            RegCreateKeyTransactedW(parent, names[i], 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, &opened, &disposition, m_transaction, nullptr);
        if (m_openFailure != ERROR_SUCCESS)
        {
            return false;
        }
        *slots[i] = opened;
        parent = opened;
    }
    return true;
}
