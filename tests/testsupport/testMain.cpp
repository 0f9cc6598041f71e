#include "tests/testsupport/testSandbox.h"

#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    testsupport::installSandbox();
    return RUN_ALL_TESTS();
}
