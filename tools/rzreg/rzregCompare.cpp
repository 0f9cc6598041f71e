// rzreg compare: two keys, one value of them, or (/s) their trees, with the output and exit
// status of the Windows command: "<" lines for what KEY1 has, ">" for KEY2, "=" for a match.

#include "platform/wideText.h"
#include "tools/rzreg/regKey.h"
#include "tools/rzreg/regValueText.h"
#include "tools/rzreg/rzregCommands.h"
#include "tools/rzreg/rzregReport.h"
#include <reZevavEvadurov/registry.h>

#include <ostream>
#include <unordered_map>

using namespace rzregReport;

namespace
{

constexpr int different = 2;
using shown = rzregArguments::shown;

std::u16string folded(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
    {
        c = wideText::foldChar(c);
    }
    return out;
}

// Where each name of `names` stands, by its folded form.
template <typename T, typename NameOf>
std::unordered_map<std::u16string, std::size_t> indexByName(const std::vector<T>& items,
                                                            NameOf nameOf)
{
    std::unordered_map<std::u16string, std::size_t> index;
    index.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        index.emplace(folded(nameOf(items[i])), i);
    }
    return index;
}

class treeCompare
{
public:
    treeCompare(rzregConsole& console, shown output) : m_console(console), m_output(output) {}

    bool differs() const { return m_differs; }

    // Compares the values of the two keys, and with `recurse` their sub-keys: a sub-key that
    // only one side has is one difference (what is below it is not looked at); common ones
    // are compared in turn, in KEY1's enumeration order.
    LSTATUS run(const std::u16string& nameA, regKey a, const std::u16string& nameB, regKey b,
                bool recurse)
    {
        m_shownA = nameA;
        m_shownB = nameB;
        std::vector<frame> stack;
        LSTATUS status = enter(std::move(a), std::move(b), recurse, stack);
        if (status == ERROR_SUCCESS)
        {
            stack.back().sizeA = m_shownA.size();
            stack.back().sizeB = m_shownB.size();
        }
        while (status == ERROR_SUCCESS && !stack.empty())
        {
            frame& top = stack.back();
            if (top.next == top.common.size())
            {
                m_shownA.resize(top.sizeA);
                m_shownB.resize(top.sizeB);
                stack.pop_back();
                continue;
            }
            const auto& [childA, childB] = top.common[top.next++];
            regKey subA;
            regKey subB;
            status = subA.openChild(top.a, childA, KEY_READ);
            status = status == ERROR_SUCCESS ? subB.openChild(top.b, childB, KEY_READ) : status;
            if (status == ERROR_SUCCESS)
            {
                const std::size_t sizeA = m_shownA.size();
                const std::size_t sizeB = m_shownB.size();
                m_shownA += u'\\' + childA;
                m_shownB += u'\\' + childB;
                status = enter(std::move(subA), std::move(subB), true, stack);
                if (status == ERROR_SUCCESS)
                {
                    stack.back().sizeA = sizeA;
                    stack.back().sizeB = sizeB;
                }
            }
        }
        return status;
    }

    // One value of each key; null where that key does not have it.
    void value(const regValue* a, const regValue* b)
    {
        // Names already matched without regard to case; type and bytes must be the same.
        if (a != nullptr && b != nullptr && a->type == b->type && a->data == b->data)
        {
            same(u"Value: " + m_shownA + line(*a));
            return;
        }
        if (a != nullptr)
        {
            differ(u"< Value: " + m_shownA + line(*a));
        }
        if (b != nullptr)
        {
            differ(u"> Value: " + m_shownB + line(*b));
        }
    }

    void setNames(const std::u16string& nameA, const std::u16string& nameB)
    {
        m_shownA = nameA;
        m_shownB = nameB;
    }

private:
    struct frame
    {
        regKey a;
        regKey b;
        std::vector<std::pair<std::u16string, std::u16string>> common;
        std::size_t next = 0;
        std::size_t sizeA = 0;
        std::size_t sizeB = 0;
    };

    static std::u16string line(const regValue& v)
    {
        return u"  " + (v.name.empty() ? std::u16string(u"(Default)") : v.name) + u"  " +
               regValueText::typeName(v.type) + u"  " + regValueText::display(v) + u"\n";
    }

    void same(const std::u16string& text)
    {
        if (m_output == shown::all || m_output == shown::matches)
        {
            print(m_console, u"= " + text);
        }
    }

    void differ(const std::u16string& text)
    {
        m_differs = true;
        if (m_output == shown::all || m_output == shown::differences)
        {
            print(m_console, text);
        }
    }

    // Compares one pair of keys and, when they have sub-keys in common, stacks them.
    LSTATUS enter(regKey a, regKey b, bool recurse, std::vector<frame>& stack)
    {
        std::vector<regValue> valuesA;
        std::vector<regValue> valuesB;
        LSTATUS status = a.values(valuesA);
        status = status == ERROR_SUCCESS ? b.values(valuesB) : status;
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
        const auto byName = [](const regValue& v) -> const std::u16string& { return v.name; };
        const auto indexB = indexByName(valuesB, byName);
        std::vector<bool> matchedB(valuesB.size());
        for (const regValue& v : valuesA)
        {
            const auto it = indexB.find(folded(v.name));
            const regValue* other = it == indexB.end() ? nullptr : &valuesB[it->second];
            if (other != nullptr)
            {
                matchedB[it->second] = true;
            }
            value(&v, other);
        }
        for (std::size_t i = 0; i < valuesB.size(); ++i)
        {
            if (!matchedB[i])
            {
                value(nullptr, &valuesB[i]);
            }
        }
        frame f{std::move(a), std::move(b), {}, 0, 0, 0};
        if (recurse)
        {
            status = keys(f);
        }
        if (status == ERROR_SUCCESS)
        {
            // Leaves too: leaving a frame is where the shown names are cut back.
            stack.push_back(std::move(f));
        }
        return status;
    }

    LSTATUS keys(frame& f)
    {
        std::vector<std::u16string> keysA;
        std::vector<std::u16string> keysB;
        LSTATUS status = f.a.subKeyNames(keysA);
        status = status == ERROR_SUCCESS ? f.b.subKeyNames(keysB) : status;
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
        const auto self = [](const std::u16string& s) -> const std::u16string& { return s; };
        const auto indexB = indexByName(keysB, self);
        std::vector<bool> matchedB(keysB.size());
        for (const std::u16string& name : keysA)
        {
            const auto it = indexB.find(folded(name));
            if (it == indexB.end())
            {
                differ(u"< Key: " + m_shownA + u"\\" + name + u"\n");
                continue;
            }
            matchedB[it->second] = true;
            same(u"Key: " + m_shownA + u"\\" + name + u"\n");
            f.common.emplace_back(name, keysB[it->second]);
        }
        for (std::size_t i = 0; i < keysB.size(); ++i)
        {
            if (!matchedB[i])
            {
                differ(u"> Key: " + m_shownB + u"\\" + keysB[i] + u"\n");
            }
        }
        return ERROR_SUCCESS;
    }

    rzregConsole& m_console;
    shown m_output;
    bool m_differs = false;
    std::u16string m_shownA; // the shown names of the keys being compared
    std::u16string m_shownB;
};

} // namespace

int rzregCompare(const rzregArguments& args, rzregConsole& console)
{
    regKey a;
    regKey b;
    LSTATUS status = a.open(args.key, KEY_READ);
    status = status == ERROR_SUCCESS ? b.open(args.target, KEY_READ) : status;
    if (status != ERROR_SUCCESS)
    {
        return failed(console, status);
    }
    treeCompare compare(console, args.output);
    if (args.valueName)
    {
        regValue valueA;
        regValue valueB;
        const LSTATUS foundA = a.value(*args.valueName, valueA);
        const LSTATUS foundB = b.value(*args.valueName, valueB);
        constexpr auto missing = static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
        for (const LSTATUS found : {foundA, foundB})
        {
            if (found != ERROR_SUCCESS && found != missing)
            {
                return failed(console, found);
            }
        }
        if (foundA == missing && foundB == missing)
        {
            return failed(console, missing);
        }
        compare.setNames(args.key.fullName(), args.target.fullName());
        compare.value(foundA == ERROR_SUCCESS ? &valueA : nullptr,
                      foundB == ERROR_SUCCESS ? &valueB : nullptr);
    }
    else
    {
        status = compare.run(args.key.fullName(), std::move(a), args.target.fullName(),
                             std::move(b), args.recurse);
        if (status != ERROR_SUCCESS)
        {
            return failed(console, status);
        }
    }
    console.out << "\nResult Compared: " << (compare.differs() ? "Different" : "Identical") << '\n';
    done(console);
    return compare.differs() ? different : success;
}
