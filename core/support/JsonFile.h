#pragma once

#include <nlohmann/json.hpp>

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

} // namespace kestrine
