// A backup file: loading the original or the latest backup answers or fails cleanly.
#include <exception>

#include "core/system/FileDockBackupStore.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto input = kestrine::fuzz::bytes(data, size);
    kestrine::fuzz::inputFile("Backups/original.plist", input);
    kestrine::fuzz::inputFile("Backups/dock-20260101-000000-000.plist", input);
    kestrine::FileDockBackupStore store(kestrine::fuzz::scratch() / "Backups", 20);
    try {
        (void)store.loadOriginal();
    } catch (const std::exception&) {
    }
    try {
        (void)store.loadLatest();
    } catch (const std::exception&) {
    }
    return 0;
}
