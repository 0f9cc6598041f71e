#pragma once

// A fresh folder below $TMPDIR (or /tmp) with home, config and xdg inside, made the process's
// HOME, XDG_CONFIG_HOME and XDG_CONFIG_DIRS, so the registry's hives live there and nowhere
// else. The folder is removed with everything in it when the object goes. Not thread-safe: it
// changes the environment, so make it on the main thread before any benchmark runs. A folder
// that cannot be made ends the process with status 1.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class benchSandbox
{
public:
    // `name` becomes part of the folder's name, to tell the benchmarks' leftovers apart.
    explicit benchSandbox(const char* name)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") +
                              "/rz-bench-" + name + "-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
        {
            std::fprintf(stderr, "mkdtemp failed: %d\n", errno);
            std::exit(1);
        }
        m_root = pattern;
        for (const char* sub : {"home", "config", "xdg"})
        {
            std::filesystem::create_directories(m_root / sub);
        }
        setenv("HOME", (m_root / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (m_root / "xdg").c_str(), 1);
    }
    ~benchSandbox()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    benchSandbox(const benchSandbox&) = delete;
    benchSandbox& operator=(const benchSandbox&) = delete;

    const std::filesystem::path& root() const { return m_root; }

private:
    std::filesystem::path m_root;
};
