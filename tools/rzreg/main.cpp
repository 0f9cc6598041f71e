// rzreg: the registry of this project on the command line.

#include "platform/wideText.h"
#include "tools/rzreg/rzreg.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i)
    {
        args.push_back(wideText::fromUtf8(argv[i]));
    }
    rzregConsole console{std::cout, std::cerr, std::cin};
    const int status = runRzreg(args, console);
    std::cout.flush();
    return status;
}
