// The installed program as assistive technology sees it (tests/e2e/accessibilityTree.py, on a
// private session bus), and the private X server the desktop tests share.

#include "tests/e2e/desktopSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{

TEST(accessibilityTreeTest, EveryFocusableControlHasANameOfItsOwn)
{
    desktopTest::session desktop("true"); // the X server alone: the script starts the program
    ASSERT_TRUE(desktop.serverUp()) << "Xvfb did not start";
    const auto tree = desktopTest::run({"dbus-run-session", "--", RZ_SYSTEM_PYTHON3,
                                        RZ_ACCESSIBILITY_TREE, RZ_INSTALLED_EXECUTABLE},
                                       {"DISPLAY=" + desktop.display()});
    const std::string countLine = "focusable controls: ";
    const std::size_t at = tree.out.find(countLine);
    ASSERT_NE(at, std::string::npos) << "the tree was not read:\n" << tree.out << tree.err;
    // The 79 settings alone are as many controls; fewer means the tree was not read whole.
    EXPECT_GE(std::atoi(tree.out.c_str() + at + countLine.size()), 79) << tree.out;
    EXPECT_EQ(tree.status, 0) << tree.out << tree.err;
}

// A reset when the last client leaves would drop a connection being set up then, and with it
// everything the clients left on the server.
TEST(desktopSessionTest, ServerKeepsItsStateWhenTheLastClientLeaves)
{
    desktopTest::session desktop("true");
    ASSERT_TRUE(desktop.serverUp()) << "Xvfb did not start";
    const std::vector<std::string> display{"DISPLAY=" + desktop.display()};
    ASSERT_EQ(desktopTest::run({"xprop", "-root", "-f", "RZ_MARK", "8s", "-set", "RZ_MARK", "kept"},
                               display)
                  .status,
              0);
    const auto read = desktopTest::run({"xprop", "-root", "RZ_MARK"}, display);
    EXPECT_NE(read.out.find("\"kept\""), std::string::npos) << read.out << read.err;
}

} // namespace
