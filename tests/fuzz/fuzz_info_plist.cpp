// A bundle's Info.plist as the scan reads it: any bytes give some of the entries the scan
// asks for, or none; never a crash, whatever the property-list library would make of them.
#include <algorithm>
#include <cstdlib>

#include "core/scan/InstalledAppScanner.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kestrine::InstalledAppScanner;
    const auto& keys = InstalledAppScanner::infoKeys;
    for (const auto& entry : InstalledAppScanner::infoFromBytes(kestrine::fuzz::bytes(data, size)))
        if (std::find(keys.begin(), keys.end(), entry.first) == keys.end()) std::abort();
    return 0;
}
