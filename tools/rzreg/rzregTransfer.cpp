#include "platform/fileSystem.h"
#include "platform/registry.h"
#include "platform/wholeFile.h"
#include "platform/wideText.h"
#include "tools/rzreg/regFile.h"
#include "tools/rzreg/regImport.h"
#include "tools/rzreg/regKey.h"
#include "tools/rzreg/rzregCommands.h"
#include "tools/rzreg/rzregReport.h"

using namespace rzregReport;

int rzregExport(const rzregArguments& args, rzregConsole& console)
{
    regKey key;
    LSTATUS status = key.open(args.key, KEY_READ);
    if (status != ERROR_SUCCESS)
    {
        return failed(console, status);
    }
    // The key and everything below it, parents first.
    std::u16string text = regFile::header();
    status = walkKeyTree(args.key.fullName(), key,
                         [&](const std::u16string& name, const regKey& at)
                         {
                             std::vector<regValue> values;
                             const LSTATUS read = at.values(values);
                             text += regFile::keyBlock(name, values);
                             return read;
                         });
    if (status != ERROR_SUCCESS)
    {
        return failed(console, status);
    }
    if (!args.force && GetFileAttributesW(args.file.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !confirm(console, u"File " + args.file + u" already exists. Overwrite"))
    {
        return canceled(console);
    }
    const std::vector<BYTE> bytes = regFile::encode(text);
    const DWORD written = wholeFile::replaceFile(args.file.c_str(), bytes.data(), bytes.size());
    if (written != ERROR_SUCCESS)
    {
        return failedWith(console, "Unable to write to the file " + wideText::toUtf8(args.file) +
                                       ". There may be a disk or file system error.");
    }
    return done(console);
}

int rzregImport(const rzregArguments& args, rzregConsole& console)
{
    std::vector<BYTE> bytes;
    std::size_t size = 0;
    const DWORD read = wholeFile::readWholeFile(
        args.file.c_str(),
        [&](std::size_t length) -> void*
        {
            bytes.resize(length);
            return bytes.data();
        },
        size);
    if (read != ERROR_SUCCESS)
    {
        return failedWith(console,
                          "Error opening the file. There may be a disk or file system error.");
    }
    bytes.resize(size);
    std::vector<regFile::step> steps;
    regFile::fault why;
    if (!regFile::parse(bytes, steps, why))
    {
        std::string where = wideText::toUtf8(args.file);
        if (why.line != 0)
        {
            where += ", line " + std::to_string(why.line);
        }
        return failedWith(console, where + ": " + why.reason + ". Nothing was imported.");
    }
    const LSTATUS status = applyImport(steps);
    return status == ERROR_SUCCESS ? done(console) : failed(console, status);
}
