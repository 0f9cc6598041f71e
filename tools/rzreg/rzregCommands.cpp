#include "tools/rzreg/rzregCommands.h"

#include "tools/rzreg/regKey.h"
#include "tools/rzreg/regTransaction.h"
#include "tools/rzreg/regValueText.h"
#include "tools/rzreg/rzregReport.h"
#include <reZevavEvadurov/registry.h>

#include <ostream>

namespace
{

using namespace rzregReport;

std::u16string valueLine(const regValue& value)
{
    return u"    " + (value.name.empty() ? std::u16string(u"(Default)") : value.name) + u"    " +
           regValueText::typeName(value.type) + u"    " + regValueText::display(value) + u"\n";
}

// One key's name and values, then a blank line; nothing for a key without values.
LSTATUS printKey(rzregConsole& console, const std::u16string& name, const regKey& key)
{
    std::vector<regValue> values;
    const LSTATUS status = key.values(values);
    if (status == ERROR_SUCCESS && !values.empty())
    {
        std::u16string text = name + u"\n";
        for (const regValue& value : values)
        {
            text += valueLine(value);
        }
        print(console, text + u"\n");
    }
    return status;
}

// Runs `change` on `path` moved into a transaction of its hive, and commits only when it
// succeeded: a tree deletion refused part-way leaves everything in place.
LSTATUS inTransaction(const regKeyPath& path,
                      const std::function<LSTATUS(const regKeyPath&)>& change)
{
    regTransaction transaction;
    LSTATUS status = transaction.begin(path.root);
    status = status == ERROR_SUCCESS ? change(regKeyPath{transaction.root(), path.subKey}) : status;
    return status == ERROR_SUCCESS ? transaction.commit() : status;
}

bool valueExists(const regKey& key, const std::u16string& name)
{
    regValue ignored;
    return key.value(name, ignored) == ERROR_SUCCESS;
}

} // namespace

int rzregQuery(const rzregArguments& args, rzregConsole& console)
{
    regKey key;
    LSTATUS status = key.open(args.key, KEY_READ);
    if (status != ERROR_SUCCESS)
    {
        return failed(console, status);
    }
    if (args.valueName && args.recurse)
    {
        // Every key at or below the one named that holds the value.
        console.out << '\n';
        unsigned matches = 0;
        status = walkKeyTree(args.key.fullName(), key,
                             [&](const std::u16string& name, const regKey& at) -> LSTATUS
                             {
                                 regValue value;
                                 const LSTATUS found = at.value(*args.valueName, value);
                                 if (found == ERROR_SUCCESS)
                                 {
                                     ++matches;
                                     print(console, name + u"\n" + valueLine(value) + u"\n");
                                 }
                                 return found == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND)
                                            ? ERROR_SUCCESS
                                            : found;
                             });
        if (status != ERROR_SUCCESS)
        {
            return failed(console, status);
        }
        console.out << "End of search: " << matches << " match(es) found.\n";
        return matches > 0 ? success : failure;
    }
    if (args.valueName)
    {
        regValue value;
        status = key.value(*args.valueName, value);
        if (status == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND) && args.valueName->empty())
        {
            print(console, u"\n" + args.key.fullName() +
                               u"\n    (Default)    REG_SZ    (value not set)\n\n");
            return success;
        }
        if (status != ERROR_SUCCESS)
        {
            return failed(console, status);
        }
        print(console, u"\n" + args.key.fullName() + u"\n" + valueLine(value) + u"\n");
        return success;
    }
    console.out << '\n';
    if (args.recurse)
    {
        status = walkKeyTree(args.key.fullName(), key,
                             [&](const std::u16string& name, const regKey& at)
                             { return printKey(console, name, at); });
        return status == ERROR_SUCCESS ? success : failed(console, status);
    }
    // Without /s the sub-keys are only named, after the values.
    std::vector<std::u16string> children;
    const std::u16string shown = args.key.fullName();
    status = printKey(console, shown, key);
    status = status == ERROR_SUCCESS ? key.subKeyNames(children) : status;
    for (const std::u16string& child : children)
    {
        print(console, shown + u"\\" + child + u"\n");
    }
    return status == ERROR_SUCCESS ? success : failed(console, status);
}

int rzregAdd(const rzregArguments& args, rzregConsole& console)
{
    const auto type = regValueText::parseTypeName(args.type.value_or(u"REG_SZ"));
    if (!type)
    {
        return failedWith(console, "Invalid syntax. Specify a valid type for '/t'.");
    }
    // Without /v the default value is set: to /d, or to an empty string.
    const std::u16string name = args.valueName.value_or(std::u16string());
    const auto data =
        regValueText::parseData(*type, args.data.value_or(u""), args.separator.value_or(u"\\0"));
    if (!data)
    {
        if (*type == REG_MULTI_SZ)
        {
            return invalidSyntax(console, args.operationName());
        }
        return failedWith(console, regValueText::isNumberType(*type)
                                       ? "Invalid syntax. Specify valid numeric value for '/d'."
                                       : "Invalid syntax. Specify valid hex data for '/d'.");
    }
    const regValue value{name, *type, *data};
    if (!args.force)
    {
        regKey existing;
        if (existing.open(args.key, KEY_READ) == ERROR_SUCCESS && valueExists(existing, name) &&
            !confirm(console,
                     u"Value " + (name.empty() ? u"(Default)" : name) + u" exists, overwrite"))
        {
            return canceled(console);
        }
    }
    // The new keys and the value land together.
    const LSTATUS status = inTransaction(args.key,
                                         [&](const regKeyPath& path)
                                         {
                                             regKey key;
                                             LSTATUS r = key.create(path, KEY_READ | KEY_WRITE);
                                             return r == ERROR_SUCCESS ? key.setValue(value) : r;
                                         });
    return status == ERROR_SUCCESS ? done(console) : failed(console, status);
}

int rzregDelete(const rzregArguments& args, rzregConsole& console)
{
    regKey key;
    LSTATUS status = key.open(args.key, KEY_READ);
    if (status != ERROR_SUCCESS)
    {
        return failed(console, status);
    }
    if (args.valueName)
    {
        if (!valueExists(key, *args.valueName))
        {
            return failed(console, ERROR_FILE_NOT_FOUND);
        }
        const std::u16string shown = args.valueName->empty() ? u"(Default)" : *args.valueName;
        if (!args.force && !confirm(console, u"Delete the registry value " + shown))
        {
            return canceled(console);
        }
        status = key.open(args.key, KEY_READ | KEY_WRITE);
        status = status == ERROR_SUCCESS ? key.deleteValue(*args.valueName) : status;
        return status == ERROR_SUCCESS ? done(console) : failed(console, status);
    }
    if (args.allValues)
    {
        if (!args.force &&
            !confirm(console, u"Delete all values under the registry key " + args.key.fullName()))
        {
            return canceled(console);
        }
        status =
            inTransaction(args.key,
                          [](const regKeyPath& path)
                          {
                              regKey inside;
                              std::vector<regValue> values;
                              LSTATUS r = inside.open(path, KEY_READ | KEY_WRITE);
                              r = r == ERROR_SUCCESS ? inside.values(values) : r;
                              for (std::size_t i = 0; r == ERROR_SUCCESS && i < values.size(); ++i)
                              {
                                  r = inside.deleteValue(values[i].name);
                              }
                              return r;
                          });
        return status == ERROR_SUCCESS ? done(console) : failed(console, status);
    }
    if (args.key.subKey.empty())
    {
        return invalidKeyName(console, args.operationName());
    }
    if (!args.force &&
        !confirm(console, u"Permanently delete the registry key " + args.key.fullName()))
    {
        return canceled(console);
    }
    key = regKey();
    status = inTransaction(args.key, deleteKeyTree);
    return status == ERROR_SUCCESS ? done(console) : failed(console, status);
}

int runRzreg(const std::vector<std::u16string>& args, rzregConsole& console)
{
    const rzregArguments parsed = rzregArguments::parse(args);
    const std::string name = parsed.operationName();
    if (parsed.problem == rzregArguments::fault::invalidKeyName)
    {
        return invalidKeyName(console, name);
    }
    if (parsed.problem != rzregArguments::fault::none ||
        (parsed.op == rzregArguments::operation::none && !parsed.help && !parsed.version))
    {
        return invalidSyntax(console, name);
    }
    if (parsed.help)
    {
        console.out << rzregUsage(name);
        return success;
    }
    if (parsed.version)
    {
        console.out << rzregVersion();
        return success;
    }
    switch (parsed.op)
    {
    case rzregArguments::operation::query:
        return rzregQuery(parsed, console);
    case rzregArguments::operation::add:
        return rzregAdd(parsed, console);
    case rzregArguments::operation::remove:
        return rzregDelete(parsed, console);
    case rzregArguments::operation::exportKey:
        return rzregExport(parsed, console);
    case rzregArguments::operation::importFile:
        return rzregImport(parsed, console);
    case rzregArguments::operation::copy:
        return rzregCopy(parsed, console);
    case rzregArguments::operation::compare:
        return rzregCompare(parsed, console);
    case rzregArguments::operation::none:
        break;
    }
    return invalidSyntax(console, name);
}
