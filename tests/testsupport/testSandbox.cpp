#include "tests/testsupport/testSandbox.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace testsupport
{
namespace
{
std::filesystem::path g_root;

std::filesystem::path makeTempRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/rz-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
    {
        std::abort();
    }
    return pattern;
}

void setEnv(const char* name, const std::filesystem::path& value)
{
    std::filesystem::create_directories(value);
    setenv(name, value.c_str(), 1);
}
} // namespace

void SandboxListener::OnTestStart(const ::testing::TestInfo&)
{
    g_root = makeTempRoot();
    setEnv("HOME", sandboxHome());
    setEnv("XDG_CONFIG_HOME", sandboxConfigHome());
    setEnv("XDG_CONFIG_DIRS", sandboxConfigDirs());
    setEnv("XDG_DATA_HOME", sandboxDataHome());
}

void SandboxListener::OnTestEnd(const ::testing::TestInfo&)
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable so removal succeeds.
    for (auto it = std::filesystem::recursive_directory_iterator(g_root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(g_root, ec);
}

const std::filesystem::path& sandboxRoot()
{
    return g_root;
}
std::filesystem::path sandboxHome()
{
    return g_root / "home";
}
std::filesystem::path sandboxConfigHome()
{
    return g_root / "config";
}
std::filesystem::path sandboxConfigDirs()
{
    return g_root / "xdg";
}
std::filesystem::path sandboxDataHome()
{
    return g_root / "data";
}

void installSandbox()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new SandboxListener);
}

} // namespace testsupport
