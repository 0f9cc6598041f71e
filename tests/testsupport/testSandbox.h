#pragma once

#include <filesystem>
#include <gtest/gtest.h>

namespace testsupport
{

// Gives every test its own empty HOME, XDG_CONFIG_HOME, XDG_CONFIG_DIRS and XDG_DATA_HOME
// below a fresh temporary folder, removed when the test ends. Installed by the test mains;
// tests read the folders through the accessors below.
class SandboxListener : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart(const ::testing::TestInfo& info) override;
    void OnTestEnd(const ::testing::TestInfo& info) override;
};

// The current test's sandbox root and its sub-folders (valid between OnTestStart and OnTestEnd).
const std::filesystem::path& sandboxRoot();
std::filesystem::path sandboxHome();
std::filesystem::path sandboxConfigHome(); // XDG_CONFIG_HOME: the user's hive lives below it
std::filesystem::path sandboxConfigDirs(); // first XDG_CONFIG_DIRS entry: the system hive
std::filesystem::path sandboxDataHome();   // XDG_DATA_HOME: the roaming application data

// Installs the sandbox listener; called by both test mains.
void installSandbox();

} // namespace testsupport
