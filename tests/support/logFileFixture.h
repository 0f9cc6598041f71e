#pragma once

// Base fixture for the log writer tests: log files in the test's sandbox, the debugger output
// captured (lock traces show each write's label), and the writer's switches put back at the
// end, with the global log file closed.

#include "platform/wideText.h"
#include "support/logFile.h"
#include "tests/support/syncTestObjects.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <memory>
#include <string>

class logFileFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = testsupport::sandboxRoot() / "logs";
        std::filesystem::create_directories(m_folder);
        m_output = std::make_unique<debugOutputCapture>(false);
        setLoggingEnabled(1);
    }

    void TearDown() override
    {
        // A closing write with an empty record closes whatever the global object holds.
        setLoggingEnabled(1);
        setLockTracing(FALSE);
        logFile::writeIndentToLogFile(wide(m_folder / "teardown.txt").c_str(), 0);
        setLoggingEnabled(0);
        setLogSystemErrors(1);
        setTimingLogFile(nullptr);
        m_output.reset();
    }

    static std::u16string wide(const std::filesystem::path& path)
    {
        return wideText::fromUtf8(path.string());
    }

    // A path in the sandbox, as the UTF-16 text the writer takes (kept alive by the fixture).
    const WCHAR* logPath(const std::string& name)
    {
        m_names.push_back(wide(m_folder / name));
        return m_names.back().c_str();
    }

    std::filesystem::path pathOf(const std::string& name) const { return m_folder / name; }

    std::string contentOf(const std::string& name) const
    {
        std::ifstream in(pathOf(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(pathOf(name)); }

    // Descriptors of this process open on the log file.
    int openDescriptorsOn(const std::string& name) const
    {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        {
            std::error_code error;
            if (std::filesystem::read_symlink(entry.path(), error) == pathOf(name))
            {
                ++count;
            }
        }
        return count;
    }

    void traceLocks(bool on)
    {
        setLockTracing(on ? TRUE : FALSE);
        m_output->clear();
    }
    const std::string& traces() const { return m_output->text(); }

    static std::string lockTrace(const std::string& label)
    {
        return lockedLine(label) + unlockedLine(label);
    }

    // UTF-16LE bytes of an ASCII text.
    static std::string utf16le(const std::string& text)
    {
        std::string bytes;
        for (const char c : text)
        {
            bytes.push_back(c);
            bytes.push_back('\0');
        }
        return bytes;
    }

private:
    std::filesystem::path m_folder;
    std::unique_ptr<debugOutputCapture> m_output;
    std::list<std::u16string> m_names; // stable addresses
};
