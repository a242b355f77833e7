// A bundle's Info.plist: the fast reader agrees with the general parser on every input
// that parser can take, and never crashes.
#include <cstdlib>
#include <exception>

#include "core/plist/PlistCoding.h"
#include "core/plist/PlistScreen.h"
#include "core/scan/InfoPlistReader.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace reader = kestrine::InfoPlistReader;
    auto input = kestrine::fuzz::bytes(data, size);
    auto fast = reader::read(input);
    if (!kestrine::plist::isSafeToParse(input)) return 0;
    kestrine::plist::Dictionary expected;
    try {
        auto value = kestrine::plist::parse(input);
        if (auto* dictionary = value.dictionary())
            for (auto key : reader::keys)
                if (auto it = dictionary->find(std::string(key)); it != dictionary->end()) expected.insert(*it);
    } catch (const std::exception&) {
    }
    if (fast != expected) std::abort();
    return 0;
}
