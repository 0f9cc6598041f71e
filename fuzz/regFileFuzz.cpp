// Fuzzes the .reg reader of rzreg: any bytes must be read or refused without a crash, and every
// value that was read must be written and read back to the same type and bytes.

#include "tools/rzreg/regFile.h"

#include <cstddef>
#include <cstdint>

namespace
{

void check(bool condition)
{
    if (!condition)
    {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    regFile::reader file(std::span<const BYTE>(data, size));
    while (const regFile::step* s = file.next())
    {
        check(s->key != nullptr && s->line > 0);
        if (s->what != regFile::step::kind::setValue)
        {
            continue;
        }
        const std::u16string text = regFile::header() + regFile::keyBlock(*s->key, {s->value});
        const std::vector<BYTE> written = regFile::encode(text);
        regFile::reader again(written);
        const regFile::step* key = again.next();
        check(key != nullptr && key->what == regFile::step::kind::createKey);
        const regFile::step* value = again.next();
        check(value != nullptr && value->what == regFile::step::kind::setValue);
        check(value->value == s->value);
        check(again.next() == nullptr && again.failure().reason.empty());
    }
    const regFile::fault& why = file.failure();
    check(why.reason.empty() || why.line > 0 || size % 2 != 0);
    return 0;
}
