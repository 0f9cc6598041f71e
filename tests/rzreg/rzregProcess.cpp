#include "tests/rzreg/rzregProcess.h"

#include "tests/testsupport/testSandbox.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rzregTest
{

namespace
{

pid_t spawn(const std::vector<std::string>& args, const std::string& input)
{
    const std::string folder = testsupport::sandboxRoot().string();
    const std::string in = folder + "/rzreg.in";
    writeFile(in, input);

    std::vector<std::string> words{RZ_RZREG};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
    {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, (folder + "/rzreg.out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, (folder + "/rzreg.err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, RZ_RZREG, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    return spawned == 0 ? pid : -1;
}

} // namespace

result run(const std::vector<std::string>& args, const std::string& input)
{
    const pid_t pid = spawn(args, input);
    result r;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    {
        r.status = WEXITSTATUS(status);
    }
    const std::string folder = testsupport::sandboxRoot().string();
    r.out = readFile(folder + "/rzreg.out");
    r.err = readFile(folder + "/rzreg.err");
    return r;
}

bool runKilledAfter(const std::vector<std::string>& args, unsigned delay)
{
    const pid_t pid = spawn(args, {});
    if (pid <= 0)
    {
        return false;
    }
    usleep(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string utf16(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii)
    {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

} // namespace rzregTest
