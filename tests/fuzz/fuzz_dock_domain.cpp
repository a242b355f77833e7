// The Dock's preferences file as another program may have left it: every read answers
// with the documented defaults and a write keeps an unreadable original beside it.
#include <exception>

#include "core/system/PlistFileDockStore.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto file = kestrine::fuzz::inputFile("com.apple.dock.plist", kestrine::fuzz::bytes(data, size));
    kestrine::PlistFileDockStore store(file);
    (void)store.persistentApps();
    (void)store.showRecents();
    auto snapshot = store.snapshot();
    try {
        store.restore(snapshot);
    } catch (const std::exception&) {
    }
    for (auto& entry : std::filesystem::directory_iterator(file.parent_path()))
        if (entry.path() != file) std::filesystem::remove(entry.path());
    return 0;
}
