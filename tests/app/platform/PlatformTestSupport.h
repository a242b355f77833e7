#pragma once

#include <map>
#include <optional>
#include <string>

namespace kestrine::testing {

using Environment = std::map<std::string, std::string>;

/// A lookup of environment variables in `environment`.
inline auto lookupIn(Environment environment) {
    return [environment = std::move(environment)](const std::string& name) -> std::optional<std::string> {
        const auto it = environment.find(name);
        return it == environment.end() ? std::nullopt : std::optional(it->second);
    };
}

} // namespace kestrine::testing
