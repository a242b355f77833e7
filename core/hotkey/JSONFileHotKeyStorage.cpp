#include "core/hotkey/JSONFileHotKeyStorage.h"

#include "core/support/AtomicFile.h"
#include "core/support/JsonFile.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace kestrine {
namespace {

// The value of an integer member within [0, maximum]; nothing for any other value.
// A number written with a fraction part or exponent counts when it is a whole number
// (2.0 is 2); 2.5 does not.
std::optional<std::uint64_t> wholeNumber(const nlohmann::json& value, std::uint64_t maximum) {
    if (value.is_number_unsigned()) {
        auto n = value.get<std::uint64_t>();
        if (n <= maximum) return n;
        return std::nullopt;
    }
    if (value.is_number_integer()) {
        auto n = value.get<std::int64_t>();
        if (n >= 0 && static_cast<std::uint64_t>(n) <= maximum) return static_cast<std::uint64_t>(n);
        return std::nullopt;
    }
    if (value.is_number_float()) {
        double d = value.get<double>();
        if (!std::isfinite(d) || d < 0 || std::trunc(d) != d || d > static_cast<double>(maximum)) return std::nullopt;
        return static_cast<std::uint64_t>(d);
    }
    return std::nullopt;
}

} // namespace

std::string JSONFileHotKeyStorage::encode(const HotKeySpec& spec) {
    nlohmann::json object = {{"keyCode", spec.keyCode}, {"modifiers", spec.modifiers.rawValue}};
    return object.dump();
}

std::optional<HotKeySpec> JSONFileHotKeyStorage::decode(std::string_view bytes) {
    nlohmann::json object = nlohmann::json::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (!object.is_object()) return std::nullopt; // also a parse failure (discarded value)

    HotKeySpec spec = HotKeySpec::defaultSpec();
    if (auto it = object.find("keyCode"); it != object.end() && !it->is_null()) {
        auto code = wholeNumber(*it, std::numeric_limits<std::uint32_t>::max());
        if (!code) return std::nullopt;
        spec.keyCode = static_cast<std::uint32_t>(*code);
    }
    if (auto it = object.find("modifiers"); it != object.end() && !it->is_null()) {
        auto raw = wholeNumber(*it, std::numeric_limits<std::uint8_t>::max());
        if (!raw) return std::nullopt;
        spec.modifiers = HotKeySpec::Modifiers(static_cast<std::uint8_t>(*raw));
    }
    return spec;
}

HotKeySpec JSONFileHotKeyStorage::load() {
    try {
        auto bytes = readJSONFileIfExists(url);
        auto spec = bytes ? decode(*bytes) : std::nullopt;
        if (spec && spec->isValid()) return *spec;
    } catch (...) {
        // A file that cannot be read, or something else in its place: the default shortcut.
    }
    return HotKeySpec::defaultSpec();
}

void JSONFileHotKeyStorage::save(const HotKeySpec& spec) { writeFileAtomically(url, encode(spec)); }

} // namespace kestrine
