#pragma once

// Runs the built rzreg as its own process in the test's sandbox (the XDG folders of the
// current test), feeding `input` on standard input and collecting both outputs.

#include <string>
#include <vector>

namespace rzregTest
{

struct result
{
    int status = -1; // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

result run(const std::vector<std::string>& args, const std::string& input = {});
// Starts rzreg, sends it SIGKILL after `delay` microseconds unless it ended first, and reaps it.
// True when the kill came first.
bool runKilledAfter(const std::vector<std::string>& args, unsigned delay);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// UTF-16LE with a byte-order mark, as exported files are.
std::string utf16(const std::string& ascii);

} // namespace rzregTest
