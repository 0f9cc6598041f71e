#include "tests/testsupport/testSandbox.h"

#include <QApplication>
#include <cstdlib>
#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    // Messages and character classes as on any machine, whatever its own locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    // GUI tests never need a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    testsupport::installSandbox();
    return RUN_ALL_TESTS();
}
