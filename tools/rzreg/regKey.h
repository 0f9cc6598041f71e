#pragma once

// Reading and changing keys through the registry calls of platform/, for the tool's commands.
// regKey owns one open key handle and closes it when it goes; every function answers a Windows
// error code (ERROR_SUCCESS or the failing call's result).

#include "tools/rzreg/regKeyPath.h"
#include "tools/rzreg/regValue.h"

#include <functional>
#include <string>
#include <vector>

class regKey
{
public:
    regKey() = default;
    ~regKey();
    regKey(regKey&& other) noexcept;
    regKey& operator=(regKey&& other) noexcept;
    regKey(const regKey&) = delete;
    regKey& operator=(const regKey&) = delete;

    // Opens an existing key; ERROR_FILE_NOT_FOUND when it is missing.
    LSTATUS open(const regKeyPath& path, REGSAM access);
    // Opens the key, creating it and any missing key on the way.
    LSTATUS create(const regKeyPath& path, REGSAM access);
    // Opens an existing key inside `transaction` (platform/transaction.h): the key, and every
    // key opened through it, works in the transaction.
    LSTATUS openTransacted(const regKeyPath& path, REGSAM access, HANDLE transaction);
    // Opens a sub-key of this key.
    LSTATUS openChild(const regKey& parent, const std::u16string& name, REGSAM access);

    HKEY get() const { return m_key; }

    // Every value in enumeration (creation) order; every sub-key name in enumeration order.
    LSTATUS values(std::vector<regValue>& out) const;
    LSTATUS subKeyNames(std::vector<std::u16string>& out) const;
    LSTATUS value(const std::u16string& name, regValue& out) const;
    LSTATUS setValue(const regValue& value) const;
    LSTATUS deleteValue(const std::u16string& name) const;

private:
    void close();
    HKEY m_key = nullptr;
};

// Calls `visit` on the key and then on every key below it, parents before their sub-keys,
// sub-keys in enumeration order; stops at the first result other than ERROR_SUCCESS.
using keyVisitor = std::function<LSTATUS(const regKeyPath& path, const regKey& key)>;
LSTATUS walkKeyTree(const regKeyPath& path, const regKey& key, const keyVisitor& visit);

// Deletes the key at `path` with every key below it; ERROR_FILE_NOT_FOUND when it is missing.
LSTATUS deleteKeyTree(const regKeyPath& path);
