#include "core/launch/JSONFileOnboardingStorage.h"

#include "core/support/AtomicFile.h"
#include "core/support/JsonFile.h"

#include <nlohmann/json.hpp>

namespace kestrine {

bool JSONFileOnboardingStorage::hasSeenOnboarding() {
    try {
        auto bytes = readJSONFileIfExists(url);
        if (!bytes) return false;
        auto object = nlohmann::json::parse(*bytes, nullptr, /*allow_exceptions=*/false);
        if (!object.is_object()) return false;
        auto it = object.find("hasSeenOnboarding");
        return it != object.end() && it->is_boolean() && it->get<bool>();
    } catch (...) {
        return false; // a file that cannot be read, or something else in its place
    }
}

void JSONFileOnboardingStorage::markOnboardingSeen() {
    nlohmann::json payload = {{"hasSeenOnboarding", true}};
    writeFileAtomically(url, payload.dump());
}

} // namespace kestrine
