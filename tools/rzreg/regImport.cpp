#include "tools/rzreg/regImport.h"

#include "platform/registry.h"
#include "tools/rzreg/regKey.h"

#include <algorithm>

namespace
{

using regFile::step;

LSTATUS applyStep(const step& s, regKey& current)
{
    switch (s.what)
    {
    case step::kind::createKey:
        return current.create(s.key, KEY_READ | KEY_WRITE);
    case step::kind::deleteKey:
    {
        const LSTATUS status = deleteKeyTree(s.key);
        return status == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND) ? ERROR_SUCCESS : status;
    }
    case step::kind::setValue:
        return current.setValue(s.value);
    case step::kind::deleteValue:
    {
        const LSTATUS status = current.deleteValue(s.value.name);
        return status == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND) ? ERROR_SUCCESS : status;
    }
    }
    return ERROR_INVALID_PARAMETER;
}

} // namespace

LSTATUS applyImport(const std::vector<step>& steps)
{
    std::vector<HKEY> hives;
    for (const step& s : steps)
    {
        if (std::find(hives.begin(), hives.end(), s.key.root) == hives.end())
        {
            hives.push_back(s.key.root);
        }
    }
    for (HKEY hive : hives)
    {
        regKey root;
        const LSTATUS status = root.open(regKeyPath{hive, {}}, KEY_READ | KEY_WRITE);
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
    }
    // Value steps always follow the [KEY] step that opened `current`.
    regKey current;
    for (const step& s : steps)
    {
        const LSTATUS status = applyStep(s, current);
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
    }
    return ERROR_SUCCESS;
}
