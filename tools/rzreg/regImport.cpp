#include "tools/rzreg/regImport.h"

#include "tools/rzreg/regFile.h"
#include "tools/rzreg/regKey.h"
#include "tools/rzreg/regTransaction.h"
#include <reZevavEvadurov/registry.h>

#include <list>

namespace
{

using regFile::step;

LSTATUS ignoreMissing(LSTATUS status)
{
    return status == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND) ? ERROR_SUCCESS : status;
}

LSTATUS applyStep(const step& s, HKEY root, regKey& current)
{
    switch (s.what)
    {
    case step::kind::createKey:
        return current.create(regKeyPath{root, s.key->subKey}, KEY_READ | KEY_WRITE);
    case step::kind::deleteKey:
        return ignoreMissing(deleteKeyTree(regKeyPath{root, s.key->subKey}));
    case step::kind::setValue:
        return current.setValue(s.value);
    case step::kind::deleteValue:
        return ignoreMissing(current.deleteValue(s.value.name));
    }
    return ERROR_INVALID_PARAMETER;
}

// The open transactions of an import, one per hive, in the order they were begun.
class hiveTransactions
{
public:
    // The transaction root for `hive`, begun on first use.
    LSTATUS rootFor(HKEY hive, HKEY& root)
    {
        for (regTransaction& t : m_transactions)
        {
            if (t.hive() == hive)
            {
                root = t.root();
                return ERROR_SUCCESS;
            }
        }
        const LSTATUS status = m_transactions.emplace_back().begin(hive);
        root = m_transactions.back().root();
        return status;
    }

    LSTATUS commit()
    {
        for (regTransaction& t : m_transactions)
        {
            const LSTATUS status = t.commit();
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
        }
        return ERROR_SUCCESS;
    }

private:
    std::list<regTransaction> m_transactions; // each stays where it was made
};

} // namespace

LSTATUS applyImport(std::span<const BYTE> checkedFile, std::size_t& line)
{
    hiveTransactions transactions;
    {
        // Value steps always follow the [KEY] step that opened `current`.
        regKey current;
        regFile::reader file(checkedFile);
        while (const step* s = file.next())
        {
            line = s->line;
            HKEY root = nullptr;
            LSTATUS status = transactions.rootFor(s->key->root, root);
            if (status == ERROR_SUCCESS)
            {
                status = applyStep(*s, root, current);
            }
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
        }
        if (!file.failure().reason.empty())
        {
            line = file.failure().line;
            return ERROR_INVALID_DATA;
        }
    }
    line = 0;
    return transactions.commit();
}
