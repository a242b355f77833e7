// The dock backend tests' main: a temporary world for this process, then the tests.
#include "tests/app/platform/linux/DocksTestSupport.h"

#include <cstdlib>

int main(int argc, char** argv) {
    using namespace kestrine::testing;
    ::testing::InitGoogleTest(&argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrine-docks-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 2;
    docksRoot = pattern;
    prepareDocksWorld(docksRoot);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(docksRoot, ignored);
    return result;
}
