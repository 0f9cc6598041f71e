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
    const std::vector<BYTE> bytes(data, data + size);
    std::vector<regFile::step> steps;
    regFile::fault why;
    if (!regFile::parse(bytes, steps, why))
    {
        check(steps.empty() && !why.reason.empty());
        return 0;
    }
    for (const regFile::step& s : steps)
    {
        if (s.what != regFile::step::kind::setValue)
        {
            continue;
        }
        const std::u16string text = regFile::header() + regFile::keyBlock(s.key, {s.value});
        std::vector<regFile::step> again;
        check(regFile::parse(regFile::encode(text), again, why));
        check(again.size() == 2 && again[1].what == regFile::step::kind::setValue);
        check(again[1].value == s.value);
    }
    return 0;
}
