#include "core/support/JsonFile.h"

#include "core/support/AtomicFile.h"

namespace kestrine {

nlohmann::json parseJSON(const std::string& text, const std::string& what) {
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        throw JSONFormatError(what + ": malformed JSON at byte " + std::to_string(e.byte) + ": " + e.what());
    }
}

std::optional<std::string> readJSONFileIfExists(const std::filesystem::path& path, std::size_t maxBytes) {
    return readRegularFileIfExists(path, maxBytes);
}

} // namespace kestrine
