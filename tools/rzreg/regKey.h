#pragma once

// Reading and changing keys through the registry calls of platform/, for the tool's commands.
// regKey owns one open key handle and closes it when it goes; every function answers a Windows
// error code (ERROR_SUCCESS or the failing call's result). Names and data of any length are
// read whole: buffers grow until the registry's answer fits.

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
    // Opens an existing key inside `transaction` (reZevavEvadurov/transaction.h): the key, and
    // every key opened through it, works in the transaction.
    LSTATUS openTransacted(const regKeyPath& path, REGSAM access, HANDLE transaction);
    // Opens, or creates, a sub-key of `parent`; it works in the parent's transaction if any.
    LSTATUS openChild(const regKey& parent, const std::u16string& name, REGSAM access);
    LSTATUS createChild(const regKey& parent, const std::u16string& name, REGSAM access);

    HKEY get() const { return m_key; }

    // Every value in enumeration (creation) order, each with the type and data the enumeration
    // gave for it; every sub-key name in enumeration order.
    LSTATUS values(std::vector<regValue>& out) const;
    LSTATUS subKeyNames(std::vector<std::u16string>& out) const;
    // The sub-key at `index` of the enumeration; ERROR_NO_MORE_ITEMS past the last one.
    LSTATUS subKeyAt(DWORD index, std::u16string& name) const;
    LSTATUS value(const std::u16string& name, regValue& out) const;
    LSTATUS setValue(const regValue& value) const;
    LSTATUS deleteValue(const std::u16string& name) const;

private:
    void close();
    HKEY m_key = nullptr;
};

// Calls `visit` on the key and then on every key below it, parents before their sub-keys,
// sub-keys in enumeration order; stops at the first result other than ERROR_SUCCESS. `name` is
// the shown (long) name of `key`; `visit` gets the shown name of each key, valid for the call
// only. Iterative: any depth works, memory grows with the depth by one handle and one name.
using keyVisitor = std::function<LSTATUS(const std::u16string& name, const regKey& key)>;
LSTATUS walkKeyTree(const std::u16string& name, const regKey& key, const keyVisitor& visit);

// Deletes the key at `path` with every key below it, deepest first; ERROR_FILE_NOT_FOUND when
// it is missing. Iterative, like walkKeyTree.
LSTATUS deleteKeyTree(const regKeyPath& path);
