// "onboarding.json": any bytes read as seen or not seen, never an error.
#include "core/launch/JSONFileOnboardingStorage.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::JSONFileOnboardingStorage storage(
        kestrine::fuzz::inputFile("onboarding.json", kestrine::fuzz::bytes(data, size)));
    (void)storage.hasSeenOnboarding();
    return 0;
}
