#pragma once

// settingsLocation: opens and closes the product's settings key in one of its two places,
//   HKEY_CURRENT_USER \ Software \ Corvane \ Tarnwickx64        (load and Apply)
//   HKEY_USERS \ .DEFAULT \ Software \ Corvane \ Tarnwickx64    (Apply only)
// and lends the open product key to a settings store for one pass.
//
// Ownership: the object owns the handles its last opening call opened (at most four, and the
// pass's transaction) and closes them in CloseSettingsKey() or, at the latest, in its
// destructor. A store given productKey() borrows it and must not be used after
// CloseSettingsKey().
// Every pass opens its chain inside a registry transaction of its own, ended in
// CloseSettingsKey(): a read pass reads one snapshot of the location throughout; a read-write
// pass's changes are committed there, so a location receives every value of a pass at once or,
// if the process ends first, none of them, and other readers never see half a pass. A failed
// write does not spoil the others: what succeeded is committed, unless the failure made the
// registry give the whole transaction up (out of memory, disk full); then the commit fails.
// Each step creates the sub-key when it is missing and the access allows it, so a read-only
// pass on a key never written fails and a read-write pass creates the chain.
// Failure: an opening call stops at the first step that fails and returns false; the handles
// of the steps before it stay in their slots until CloseSettingsKey().
// Not thread-safe: used by the dialog's thread alone.

#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/winTypes.h>

#include <span>

class settingsLocation
{
public:
    static constexpr REGSAM readAccess = KEY_READ;                  // 0x20019
    static constexpr REGSAM readWriteAccess = KEY_READ | KEY_WRITE; // 0x2001F

    settingsLocation() = default;
    ~settingsLocation();
    settingsLocation(const settingsLocation&) = delete;
    settingsLocation& operator=(const settingsLocation&) = delete;

    // Opens the current user's product key; true when all three steps succeeded. Closes
    // whatever an earlier opening call left open first.
    bool OpenUserSettingsKey(REGSAM access);
    // Opens the default profile's product key; true when all four steps succeeded.
    bool OpenDefaultUserSettingsKey(REGSAM access);
    // Commits the pass's transaction, if there is one, then closes the product, maker and
    // software keys and the default-profile root, in that order, whichever are open; the slots
    // are empty afterwards. Safe to call at any time. False when nothing of the pass was kept:
    // the opening call failed (what it made is rolled back) or the commit failed; either goes
    // to `logFileName` too, as the pass's failed writes do (null: no log).
    bool CloseSettingsKey(const WCHAR* logFileName = nullptr);

    // The product key after a successful opening call, else null.
    HKEY productKey() const { return m_productKey; }

private:
    bool openChain(HKEY root, std::span<const WCHAR* const> names, std::span<HKEY* const> slots,
                   REGSAM access);

    HKEY m_defaultRootKey = nullptr;
    HKEY m_softwareKey = nullptr;
    HKEY m_makerKey = nullptr;
    HKEY m_productKey = nullptr;
    HANDLE m_transaction = nullptr;        // of the open pass
    LSTATUS m_openFailure = ERROR_SUCCESS; // of the last opening call
};
