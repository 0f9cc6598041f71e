#include "tools/rzreg/regKey.h"

#include <reZevavEvadurov/registry.h>

#include <utility>

namespace
{

// First guesses for name and data buffers; they double while the registry answers
// ERROR_MORE_DATA, so no length is too long.
constexpr DWORD firstNameChars = 256;
constexpr DWORD firstDataSize = 1024;

constexpr auto moreData = static_cast<LSTATUS>(ERROR_MORE_DATA);
constexpr auto noMoreItems = static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS);

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

LSTATUS regKey::createChild(const regKey& parent, const std::u16string& name, REGSAM access)
{
    close();
    return RegCreateKeyExW(parent.m_key, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, &m_key, nullptr);
}

LSTATUS regKey::values(std::vector<regValue>& out) const
{
    out.clear();
    std::u16string name(firstNameChars, u'\0');
    std::vector<BYTE> data(firstDataSize);
    for (DWORD index = 0;;)
    {
        auto chars = static_cast<DWORD>(name.size());
        auto size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LSTATUS status =
            RegEnumValueW(m_key, index, name.data(), &chars, nullptr, &type, data.data(), &size);
        if (status == noMoreItems)
        {
            return ERROR_SUCCESS;
        }
        if (status == moreData)
        {
            // Either the name or the data did not fit: grow what was short and ask again.
            if (size > data.size())
            {
                data.resize(size);
            }
            else
            {
                name.resize(name.size() * 2);
            }
            continue;
        }
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
        out.push_back(regValue{name.substr(0, chars), type,
                               std::vector<BYTE>(data.begin(), data.begin() + size)});
        ++index;
    }
}

LSTATUS regKey::subKeyAt(DWORD index, std::u16string& name) const
{
    if (name.size() < firstNameChars)
    {
        name.resize(firstNameChars);
    }
    name.resize(name.capacity());
    for (;;)
    {
        auto chars = static_cast<DWORD>(name.size());
        const LSTATUS status =
            RegEnumKeyExW(m_key, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == moreData)
        {
            name.resize(name.size() * 2);
            continue;
        }
        name.resize(status == ERROR_SUCCESS ? chars : 0);
        return status;
    }
}

LSTATUS regKey::subKeyNames(std::vector<std::u16string>& out) const
{
    out.clear();
    std::u16string name;
    for (DWORD index = 0;; ++index)
    {
        const LSTATUS status = subKeyAt(index, name);
        if (status != ERROR_SUCCESS)
        {
            return status == noMoreItems ? ERROR_SUCCESS : status;
        }
        out.push_back(name);
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

namespace
{

struct walkFrame
{
    regKey key;
    DWORD next = 0;            // the sub-key to look at next
    std::size_t shownSize = 0; // length of the shown name of the parent
};

} // namespace

LSTATUS walkKeyTree(const std::u16string& name, const regKey& key, const keyVisitor& visit)
{
    // The shown name grows by one level on the way down and is cut back on the way up, so no
    // level keeps a copy of its path.
    std::u16string shown = name;
    std::vector<walkFrame> stack;
    DWORD rootNext = 0;
    std::u16string child;
    LSTATUS status = visit(shown, key);
    while (status == ERROR_SUCCESS)
    {
        const regKey& at = stack.empty() ? key : stack.back().key;
        DWORD& next = stack.empty() ? rootNext : stack.back().next;
        status = at.subKeyAt(next++, child);
        if (status == noMoreItems)
        {
            if (stack.empty())
            {
                return ERROR_SUCCESS;
            }
            shown.resize(stack.back().shownSize);
            stack.pop_back();
            status = ERROR_SUCCESS;
            continue;
        }
        walkFrame frame;
        status = status == ERROR_SUCCESS ? frame.key.openChild(at, child, KEY_READ) : status;
        if (status == ERROR_SUCCESS)
        {
            frame.shownSize = shown.size();
            shown += u'\\';
            shown += child;
            status = visit(shown, frame.key);
            stack.push_back(std::move(frame));
        }
    }
    return status;
}

LSTATUS deleteKeyTree(const regKeyPath& path)
{
    // Each key goes through its own handle once it has no sub-key left, so no name is passed
    // back to the parent and no path is built.
    std::vector<regKey> stack(1);
    LSTATUS status = stack.back().open(path, KEY_ALL_ACCESS);
    std::u16string child;
    while (status == ERROR_SUCCESS && !stack.empty())
    {
        status = stack.back().subKeyAt(0, child);
        if (status == ERROR_SUCCESS)
        {
            regKey sub;
            status = sub.openChild(stack.back(), child, KEY_ALL_ACCESS);
            stack.push_back(std::move(sub));
        }
        else if (status == noMoreItems)
        {
            status = RegDeleteKeyW(stack.back().get(), u"");
            stack.pop_back();
        }
    }
    return status;
}
