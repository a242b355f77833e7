#include "core/launch/JSONFileOnboardingStorage.h"

#include "core/support/AtomicFile.h"

#include <nlohmann/json.hpp>

namespace kestrine {

bool JSONFileOnboardingStorage::hasSeenOnboarding() {
    try {
        auto object = nlohmann::json::parse(readFile(url), nullptr, /*allow_exceptions=*/false);
        if (!object.is_object()) return false;
        auto it = object.find("hasSeenOnboarding");
        return it != object.end() && it->is_boolean() && it->get<bool>();
    } catch (...) {
        return false; // no file, or one that cannot be read
    }
}

void JSONFileOnboardingStorage::markOnboardingSeen() {
    nlohmann::json payload = {{"hasSeenOnboarding", true}};
    writeFileAtomically(url, payload.dump());
}

} // namespace kestrine
