#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace kestrine {

/// A JSON document did not have the expected form. The message names the place
/// ("presets[2].name: missing required key").
class JSONFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Parses JSON text; throws JSONFormatError with the parser's position on malformed input.
nlohmann::json parseJSON(const std::string& text, const std::string& what);

/// The most a JSON file of this program may hold. Its files are small (a state with
/// hundreds of presets and tiles stays well below a megabyte); anything larger is not one.
inline constexpr std::size_t maxJSONFileBytes = std::size_t{64} << 20;

/// The bytes of one of this program's JSON files (the state, the shortcut, the onboarding
/// flag), or nothing when it does not exist. A FIFO, device or folder in its place, or a
/// file above maxJSONFileBytes, throws std::filesystem::filesystem_error at once instead
/// of blocking or filling memory; each caller then falls back as it does for any file it
/// cannot read.
std::optional<std::string> readJSONFileIfExists(const std::filesystem::path& path,
                                                 std::size_t maxBytes = maxJSONFileBytes);

} // namespace kestrine
