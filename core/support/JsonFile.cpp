#include "core/support/JsonFile.h"

namespace kestrine {

nlohmann::json parseJSON(const std::string& text, const std::string& what) {
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        throw JSONFormatError(what + ": malformed JSON at byte " + std::to_string(e.byte) + ": " + e.what());
    }
}

} // namespace kestrine
