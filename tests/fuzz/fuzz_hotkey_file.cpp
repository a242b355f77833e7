// "hotkey.json": any bytes load as a valid shortcut, and a decoded one encodes back.
#include <cstdlib>

#include "core/hotkey/JSONFileHotKeyStorage.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kestrine::JSONFileHotKeyStorage;
    auto input = kestrine::fuzz::bytes(data, size);
    if (auto spec = JSONFileHotKeyStorage::decode(input)) {
        if (JSONFileHotKeyStorage::decode(JSONFileHotKeyStorage::encode(*spec)) != spec) std::abort();
        (void)spec->displayString();
    }
    JSONFileHotKeyStorage storage(kestrine::fuzz::inputFile("hotkey.json", input));
    if (!storage.load().isValid()) std::abort();
    return 0;
}
