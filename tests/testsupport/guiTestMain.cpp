#include "tests/testsupport/testSandbox.h"

#include <QApplication>
#include <cstdlib>
#include <string_view>
#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    // Messages and character classes as on any machine, whatever its own locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    // GUI tests never need a display. The screen holds every dialog at its template's size;
    // tests of a smaller one fit the dialog to that area themselves.
    // CTest names the plain platform; only another platform given by hand is kept.
    const char* const platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || std::string_view(platform) == "offscreen")
    {
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" RZ_OFFSCREEN_SCREEN, 1);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    testsupport::installSandbox();
    return RUN_ALL_TESTS();
}
