// The installed program as assistive technology sees it: its accessibility tree read over
// AT-SPI (tests/e2e/accessibilityTree.py, at-spi2-core on the session's private bus).

#include "tests/e2e/desktopSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

TEST(accessibilityTreeTest, EveryFocusableControlHasANameOfItsOwn)
{
    ASSERT_TRUE(std::filesystem::exists(RZ_INSTALLED_EXECUTABLE))
        << "the install fixture did not run";
    desktopTest::session desktop(RZ_INSTALLED_EXECUTABLE,
                                 {true, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"}});
    ASSERT_TRUE(desktop.serverUp()) << "Xvfb did not start";
    ASSERT_TRUE(desktop.busUp()) << "dbus-daemon did not start";
    ASSERT_FALSE(desktop.waitForWindow("reZevavEvadurov x64").empty()) << "the dialog never showed";

    const auto tree =
        desktop.runClient({RZ_SYSTEM_PYTHON3, RZ_ACCESSIBILITY_TREE, "reZevavEvadurov", "25"});
    const std::string countLine = "focusable controls: ";
    const std::size_t at = tree.out.find(countLine);
    ASSERT_NE(at, std::string::npos) << "the tree was not read:\n" << tree.out << tree.err;
    // The 79 settings alone are as many controls; fewer means the tree was not read whole.
    EXPECT_GE(std::atoi(tree.out.c_str() + at + countLine.size()), 79) << tree.out;
    EXPECT_EQ(tree.status, 0) << tree.out << tree.err;
}

// Xvfb must not reset when its last client leaves: a reset drops a connection being set up
// then, and everything the clients left on the server.
TEST(desktopSessionTest, ServerKeepsItsStateWhenTheLastClientLeaves)
{
    desktopTest::session desktop("true");
    ASSERT_TRUE(desktop.serverUp()) << "Xvfb did not start";
    ASSERT_EQ(
        desktop.runClient({"xprop", "-root", "-f", "RZ_MARK", "8s", "-set", "RZ_MARK", "kept"})
            .status,
        0);
    const auto read = desktop.runClient({"xprop", "-root", "RZ_MARK"});
    EXPECT_NE(read.out.find("\"kept\""), std::string::npos) << read.out << read.err;
}

} // namespace
