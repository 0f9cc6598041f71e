#include "tools/rzreg/regKey.h"

#include "platform/registry.h"

#include <utility>

namespace
{

// Longest value name the registry answers with, plus its terminator.
constexpr DWORD nameChars = 16384;

} // namespace

regKey::~regKey()
{
    close();
}

regKey::regKey(regKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}

regKey& regKey::operator=(regKey&& other) noexcept
{
    if (this != &other)
    {
        close();
        m_key = std::exchange(other.m_key, nullptr);
    }
    return *this;
}

void regKey::close()
{
    if (m_key != nullptr)
    {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

LSTATUS regKey::open(const regKeyPath& path, REGSAM access)
{
    close();
    return RegOpenKeyExW(path.root, path.subKey.c_str(), 0, access, &m_key);
}

LSTATUS regKey::create(const regKeyPath& path, REGSAM access)
{
    close();
    return RegCreateKeyExW(path.root, path.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, &m_key, nullptr);
}

LSTATUS regKey::openTransacted(const regKeyPath& path, REGSAM access, HANDLE transaction)
{
    close();
    return RegOpenKeyTransactedW(path.root, path.subKey.c_str(), 0, access, &m_key, transaction,
                                 nullptr);
}

LSTATUS regKey::openChild(const regKey& parent, const std::u16string& name, REGSAM access)
{
    close();
    return RegOpenKeyExW(parent.m_key, name.c_str(), 0, access, &m_key);
}

LSTATUS regKey::values(std::vector<regValue>& out) const
{
    out.clear();
    std::u16string name(nameChars, u'\0');
    for (DWORD index = 0;; ++index)
    {
        DWORD chars = nameChars;
        DWORD size = 0;
        regValue value;
        LSTATUS status =
            RegEnumValueW(m_key, index, name.data(), &chars, nullptr, &value.type, nullptr, &size);
        if (status == static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS))
        {
            return ERROR_SUCCESS;
        }
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
        value.name.assign(name.data(), chars);
        value.data.resize(size);
        status = RegQueryValueExW(m_key, value.name.c_str(), nullptr, &value.type,
                                  value.data.data(), &size);
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
        value.data.resize(size);
        out.push_back(std::move(value));
    }
}

LSTATUS regKey::subKeyNames(std::vector<std::u16string>& out) const
{
    out.clear();
    std::u16string name(nameChars, u'\0');
    for (DWORD index = 0;; ++index)
    {
        DWORD chars = nameChars;
        const LSTATUS status =
            RegEnumKeyExW(m_key, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS))
        {
            return ERROR_SUCCESS;
        }
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
        out.emplace_back(name.data(), chars);
    }
}

LSTATUS regKey::value(const std::u16string& name, regValue& out) const
{
    DWORD size = 0;
    out.name = name;
    LSTATUS status = RegQueryValueExW(m_key, name.c_str(), nullptr, &out.type, nullptr, &size);
    if (status == ERROR_SUCCESS)
    {
        out.data.resize(size);
        status = RegQueryValueExW(m_key, name.c_str(), nullptr, &out.type, out.data.data(), &size);
        out.data.resize(size);
    }
    return status;
}

LSTATUS regKey::setValue(const regValue& value) const
{
    return RegSetValueExW(m_key, value.name.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
}

LSTATUS regKey::deleteValue(const std::u16string& name) const
{
    return RegDeleteValueW(m_key, name.c_str());
}

LSTATUS walkKeyTree(const regKeyPath& path, const regKey& key, const keyVisitor& visit)
{
    LSTATUS status = visit(path, key);
    std::vector<std::u16string> children;
    status = status == ERROR_SUCCESS ? key.subKeyNames(children) : status;
    for (std::size_t i = 0; status == ERROR_SUCCESS && i < children.size(); ++i)
    {
        regKey sub;
        status = sub.openChild(key, children[i], KEY_READ);
        status =
            status == ERROR_SUCCESS ? walkKeyTree(path.child(children[i]), sub, visit) : status;
    }
    return status;
}

LSTATUS deleteKeyTree(const regKeyPath& path)
{
    std::vector<std::u16string> children;
    {
        regKey key;
        LSTATUS status = key.open(path, KEY_READ);
        if (status == ERROR_SUCCESS)
        {
            status = key.subKeyNames(children);
        }
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
    }
    for (const std::u16string& child : children)
    {
        const LSTATUS status = deleteKeyTree(path.child(child));
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
    }
    return RegDeleteKeyW(path.root, path.subKey.c_str());
}
