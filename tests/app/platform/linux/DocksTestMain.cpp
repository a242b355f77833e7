// The dock backend tests' main: a temporary world for this process, then the tests.
#include "tests/app/platform/linux/DocksTestSupport.h"
#include "tests/core/support/TempFolder.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const kestrine::testing::TempFolder root;
    kestrine::testing::prepareDocksWorld(kestrine::testing::docksRoot = root.path());
    return RUN_ALL_TESTS();
}
