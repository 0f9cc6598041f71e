#include "tools/rzreg/rzregArguments.h"

#include "platform/wideText.h"

#include <array>
#include <string_view>
#include <utility>

namespace
{

using op = rzregArguments::operation;
using fault = rzregArguments::fault;

bool sameNoCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           wideText::compareNoCase(std::u16string(a).c_str(), std::u16string(b).c_str()) == 0;
}

struct operationEntry
{
    std::u16string_view word;
    op operation;
    std::string_view upper;
    int positionals; // KEY, KEY FILE or FILE
};

constexpr std::array<operationEntry, 7> operations{{
    {u"query", op::query, "QUERY", 1},
    {u"add", op::add, "ADD", 1},
    {u"delete", op::remove, "DELETE", 1},
    {u"export", op::exportKey, "EXPORT", 2},
    {u"import", op::importFile, "IMPORT", 1},
    {u"copy", op::copy, "COPY", 2},
    {u"compare", op::compare, "COMPARE", 2},
}};

const operationEntry* findOperation(op operation)
{
    for (const operationEntry& entry : operations)
    {
        if (entry.operation == operation)
        {
            return &entry;
        }
    }
    return nullptr;
}

bool isHelp(std::u16string_view arg)
{
    return arg == u"/?" || arg == u"-?" || arg == u"--help";
}

class reader
{
public:
    reader(rzregArguments& result, const std::vector<std::u16string>& args)
        : r(result), m_args(args)
    {
    }

    fault options(std::size_t from)
    {
        for (std::size_t i = from; i < m_args.size(); ++i)
        {
            const std::u16string& arg = m_args[i];
            const fault f = option(arg, i);
            if (f != fault::none)
            {
                return f;
            }
        }
        return combination();
    }

private:
    fault option(const std::u16string& arg, std::size_t& i)
    {
        const auto takesValue = [&](std::optional<std::u16string>& slot)
        {
            if (slot || i + 1 >= m_args.size())
            {
                return fault::invalidSyntax;
            }
            slot = m_args[++i];
            return fault::none;
        };
        const auto flag = [](bool& slot)
        {
            if (slot)
            {
                return fault::invalidSyntax;
            }
            slot = true;
            return fault::none;
        };
        const bool keyOp =
            r.op == op::query || r.op == op::add || r.op == op::remove || r.op == op::compare;
        if (keyOp && sameNoCase(arg, u"/v"))
        {
            return takesValue(r.valueName);
        }
        if (keyOp && sameNoCase(arg, u"/ve"))
        {
            return flag(m_ve);
        }
        if (r.op == op::remove && sameNoCase(arg, u"/va"))
        {
            return flag(r.allValues);
        }
        if ((r.op == op::query || r.op == op::copy || r.op == op::compare) &&
            sameNoCase(arg, u"/s"))
        {
            return flag(r.recurse);
        }
        if (r.op == op::add && sameNoCase(arg, u"/s"))
        {
            const fault f = takesValue(r.separator);
            return f == fault::none && r.separator->size() != 1 ? fault::invalidSyntax : f;
        }
        if (r.op == op::compare)
        {
            for (const auto& [word, mode] : outputModes)
            {
                if (sameNoCase(arg, word))
                {
                    r.output = mode;
                    return flag(m_output);
                }
            }
        }
        if ((r.op == op::add || r.op == op::remove || r.op == op::copy) && sameNoCase(arg, u"/f"))
        {
            return flag(r.force);
        }
        if (r.op == op::exportKey && sameNoCase(arg, u"/y"))
        {
            return flag(r.force);
        }
        if (r.op == op::add && sameNoCase(arg, u"/t"))
        {
            return takesValue(r.type);
        }
        if (r.op == op::add && sameNoCase(arg, u"/d"))
        {
            return takesValue(r.data);
        }
        return fault::invalidSyntax;
    }

    fault combination()
    {
        const int choices = (r.valueName ? 1 : 0) + (m_ve ? 1 : 0) + (r.allValues ? 1 : 0);
        // compare looks at one value or at trees, not both.
        if (choices > 1 || (r.op == op::compare && choices > 0 && r.recurse))
        {
            return fault::invalidSyntax;
        }
        if (m_ve)
        {
            r.valueName = std::u16string();
        }
        return fault::none;
    }

    static constexpr std::array<std::pair<std::u16string_view, rzregArguments::shown>, 4>
        outputModes{{
            {u"/od", rzregArguments::shown::differences},
            {u"/oa", rzregArguments::shown::all},
            {u"/os", rzregArguments::shown::matches},
            {u"/on", rzregArguments::shown::nothing},
        }};

    rzregArguments& r;
    const std::vector<std::u16string>& m_args;
    bool m_ve = false;
    bool m_output = false;
};

} // namespace

std::string rzregArguments::operationName() const
{
    const operationEntry* entry = findOperation(op);
    return entry == nullptr ? std::string() : std::string(entry->upper);
}

rzregArguments rzregArguments::parse(const std::vector<std::u16string>& args)
{
    rzregArguments r;
    if (args.empty())
    {
        r.problem = fault::invalidSyntax;
        return r;
    }
    if (args[0] == u"--version")
    {
        r.version = true;
        r.problem = args.size() == 1 ? fault::none : fault::invalidSyntax;
        return r;
    }
    if (isHelp(args[0]))
    {
        r.help = true;
        r.problem = args.size() == 1 ? fault::none : fault::invalidSyntax;
        return r;
    }
    const operationEntry* entry = nullptr;
    for (const operationEntry& candidate : operations)
    {
        if (sameNoCase(args[0], candidate.word))
        {
            entry = &candidate;
        }
    }
    if (entry == nullptr)
    {
        r.problem = fault::invalidSyntax;
        return r;
    }
    r.op = entry->operation;
    if (args.size() == 2 && isHelp(args[1]))
    {
        r.help = true;
        return r;
    }
    const std::size_t positionals = static_cast<std::size_t>(entry->positionals);
    if (args.size() < 1 + positionals)
    {
        r.problem = fault::invalidSyntax;
        return r;
    }
    // Files are POSIX paths and may start with "/"; a key never does.
    if (r.op != operation::importFile && args[1].starts_with(u"/"))
    {
        r.problem = fault::invalidSyntax;
        return r;
    }
    if (r.op == operation::importFile)
    {
        r.file = args[1];
    }
    else
    {
        const auto key = regKeyPath::parse(args[1]);
        if (!key)
        {
            r.problem = fault::invalidKeyName;
            return r;
        }
        r.key = *key;
        if (r.op == operation::exportKey)
        {
            r.file = args[2];
        }
        if (r.op == operation::copy || r.op == operation::compare)
        {
            const auto target =
                args[2].starts_with(u"/") ? std::nullopt : regKeyPath::parse(args[2]);
            if (!target)
            {
                r.problem =
                    args[2].starts_with(u"/") ? fault::invalidSyntax : fault::invalidKeyName;
                return r;
            }
            r.target = *target;
        }
    }
    r.problem = reader(r, args).options(1 + positionals);
    return r;
}
