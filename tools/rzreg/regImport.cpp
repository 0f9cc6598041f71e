#include "tools/rzreg/regImport.h"

#include "platform/registry.h"
#include "tools/rzreg/regKey.h"
#include "tools/rzreg/regTransaction.h"

#include <list>

namespace
{

using regFile::step;

LSTATUS ignoreMissing(LSTATUS status)
{
    return status == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND) ? ERROR_SUCCESS : status;
}

// `key` is the step's key with the transaction's root in place of the predefined one.
LSTATUS applyStep(const step& s, const regKeyPath& key, regKey& current)
{
    switch (s.what)
    {
    case step::kind::createKey:
        return current.create(key, KEY_READ | KEY_WRITE);
    case step::kind::deleteKey:
        return ignoreMissing(deleteKeyTree(key));
    case step::kind::setValue:
        return current.setValue(s.value);
    case step::kind::deleteValue:
        return ignoreMissing(current.deleteValue(s.value.name));
    }
    return ERROR_INVALID_PARAMETER;
}

} // namespace

LSTATUS applyImport(const std::vector<step>& steps)
{
    std::list<regTransaction> transactions; // each stays where it was made
    const auto transactionFor = [&](HKEY hive) -> regTransaction*
    {
        for (regTransaction& t : transactions)
        {
            if (t.hive() == hive)
            {
                return &t;
            }
        }
        return nullptr;
    };
    for (const step& s : steps)
    {
        if (transactionFor(s.key.root) == nullptr)
        {
            const LSTATUS status = transactions.emplace_back().begin(s.key.root);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
        }
    }
    {
        // Value steps always follow the [KEY] step that opened `current`.
        regKey current;
        for (const step& s : steps)
        {
            const regKeyPath key{transactionFor(s.key.root)->root(), s.key.subKey};
            const LSTATUS status = applyStep(s, key, current);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
        }
    }
    for (regTransaction& t : transactions)
    {
        const LSTATUS status = t.commit();
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
    }
    return ERROR_SUCCESS;
}
