#include "platform/fileSystem.h"
#include "platform/wholeFile.h"
#include "platform/wideText.h"
#include "tools/rzreg/regFile.h"
#include "tools/rzreg/regImport.h"
#include "tools/rzreg/regKey.h"
#include "tools/rzreg/rzregCommands.h"
#include "tools/rzreg/rzregReport.h"
#include <reZevavEvadurov/registry.h>

#include <sys/stat.h>

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

namespace
{

bool isOtherThanRegularFile(const std::u16string& path)
{
    struct stat st = {};
    return ::stat(wideText::toUtf8(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

// "ERROR: FILE, line N: REASON. Nothing was imported."; no line for the file as a whole.
int refused(rzregConsole& console, const std::u16string& file, std::size_t line,
            const std::string& reason)
{
    std::string where = wideText::toUtf8(file);
    if (line != 0)
    {
        where += ", line " + std::to_string(line);
    }
    return failedWith(console, where + ": " + reason + ". Nothing was imported.");
}

} // namespace

int rzregImport(const rzregArguments& args, rzregConsole& console)
{
    // readWholeFile opens without blocking and reads regular files only.
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
    if (read == ERROR_ACCESS_DENIED && isOtherThanRegularFile(args.file))
    {
        return refused(console, args.file, 0, "not a regular file");
    }
    if (read != ERROR_SUCCESS)
    {
        return failedWith(console,
                          "Error opening the file. There may be a disk or file system error.");
    }
    bytes.resize(size);
    regFile::fault why;
    if (!regFile::check(bytes, why))
    {
        return refused(console, args.file, why.line, why.reason);
    }
    std::size_t line = 0;
    const LSTATUS status = applyImport(bytes, line);
    if (status == ERROR_SUCCESS)
    {
        return importDone(console);
    }
    std::string reason = statusText(status);
    if (reason.ends_with('.'))
    {
        reason.pop_back();
    }
    return refused(console, args.file, line, reason);
}
