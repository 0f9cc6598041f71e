// rzreg copy: the values of one key, and with /s everything below it, into another key.

#include "platform/wideText.h"
#include "tools/rzreg/regKey.h"
#include "tools/rzreg/regTransaction.h"
#include "tools/rzreg/rzregCommands.h"
#include "tools/rzreg/rzregReport.h"
#include <reZevavEvadurov/registry.h>

#include <string_view>

using namespace rzregReport;

namespace
{

// What a "no" to an overwrite question makes the copy answer: everything is rolled back.
constexpr LSTATUS declined = 1223; // ERROR_CANCELLED

std::u16string folded(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
    {
        c = wideText::foldChar(c);
    }
    return out;
}

// True when `target` is `source` or a key below it.
bool inside(const regKeyPath& source, const regKeyPath& target)
{
    if (source.root != target.root)
    {
        return false;
    }
    const std::u16string from = folded(source.subKey);
    const std::u16string to = folded(target.subKey);
    return from.empty() || to == from || (to.starts_with(from) && to[from.size()] == u'\\');
}

class treeCopy
{
public:
    treeCopy(rzregConsole& console, bool force) : m_console(console), m_force(force) {}

    // Copies the values of `from` into `to`, and with `recurse` every key below, parents first.
    // Each key's sub-keys are listed before anything is written next to them, so that the
    // writes never restart the source's enumeration.
    LSTATUS run(regKey from, regKey to, bool recurse)
    {
        std::vector<frame> stack;
        LSTATUS status = enter(std::move(from), std::move(to), recurse, stack);
        while (status == ERROR_SUCCESS && !stack.empty())
        {
            frame& top = stack.back();
            if (top.next == top.children.size())
            {
                stack.pop_back();
                continue;
            }
            const std::u16string& name = top.children[top.next++];
            regKey source;
            regKey target;
            status = source.openChild(top.from, name, KEY_READ);
            status =
                status == ERROR_SUCCESS ? target.createChild(top.to, name, KEY_ALL_ACCESS) : status;
            status = status == ERROR_SUCCESS
                         ? enter(std::move(source), std::move(target), true, stack)
                         : status;
        }
        return status;
    }

private:
    struct frame
    {
        regKey from;
        regKey to;
        std::vector<std::u16string> children;
        std::size_t next = 0;
    };

    LSTATUS enter(regKey from, regKey to, bool recurse, std::vector<frame>& stack)
    {
        frame f{std::move(from), std::move(to), {}, 0};
        std::vector<regValue> values;
        LSTATUS status = f.from.values(values);
        status = status == ERROR_SUCCESS && recurse ? f.from.subKeyNames(f.children) : status;
        for (std::size_t i = 0; status == ERROR_SUCCESS && i < values.size(); ++i)
        {
            status = mayWrite(f.to, values[i].name) ? f.to.setValue(values[i]) : declined;
        }
        if (status == ERROR_SUCCESS && !f.children.empty())
        {
            stack.push_back(std::move(f));
        }
        return status;
    }

    bool mayWrite(const regKey& to, const std::u16string& name)
    {
        regValue existing;
        return m_force || to.value(name, existing) != ERROR_SUCCESS ||
               confirm(m_console,
                       u"Value " + (name.empty() ? u"(Default)" : name) + u" exists, overwrite");
    }

    rzregConsole& m_console;
    bool m_force;
};

} // namespace

int rzregCopy(const rzregArguments& args, rzregConsole& console)
{
    if (inside(args.key, args.target))
    {
        return failedWith(console, "Cannot copy a key onto itself or one of its subkeys.");
    }
    // One transaction on the target's hive: the copy lands whole or not at all. A source in
    // the same hive is read through it too.
    regTransaction transaction;
    LSTATUS status = transaction.begin(args.target.root);
    regKey source;
    if (status == ERROR_SUCCESS)
    {
        const HKEY sourceRoot =
            args.key.root == args.target.root ? transaction.root() : args.key.root;
        status = source.open(regKeyPath{sourceRoot, args.key.subKey}, KEY_READ);
    }
    regKey target;
    status = status == ERROR_SUCCESS
                 ? target.create(regKeyPath{transaction.root(), args.target.subKey}, KEY_ALL_ACCESS)
                 : status;
    status =
        status == ERROR_SUCCESS
            ? treeCopy(console, args.force).run(std::move(source), std::move(target), args.recurse)
            : status;
    if (status == declined)
    {
        return canceled(console);
    }
    status = status == ERROR_SUCCESS ? transaction.commit() : status;
    return status == ERROR_SUCCESS ? done(console) : failed(console, status);
}
