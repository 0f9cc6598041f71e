#include "tests/testsupport/testSandbox.h"

#include <cstdlib>
#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    // Messages and character classes as on any machine, whatever its own locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    ::testing::InitGoogleMock(&argc, argv);
    testsupport::installSandbox();
    return RUN_ALL_TESTS();
}
