// The file format that carries presets from one installation to another:
//   {"format": "kestrine-presets", "version": 1,
//    "presets": [{"name": ..., "emoji": ..., "apps": [{"id": ..., "name": ..., "path": ...}]}]}
// Dock tiles are left out: they belong to the machine they were read on.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Preset.h"

namespace kestrine {

/// A file that is not a preset export this version can read; nothing was taken from it.
class PresetExchangeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace PresetExchange {

inline constexpr const char* formatName = "kestrine-presets";
inline constexpr int version = 1;

/// The presets' names, emoji and applications, as indented JSON ending in a new line.
std::string encode(const std::vector<Preset>& presets);

/// The presets of an export: name (trimmed, not empty), emoji (absent when missing or empty)
/// and applications (id not empty; name and path may be missing). Ids and the default mark are
/// not carried. Throws PresetExchangeError for another format or version or a malformed file.
std::vector<Preset> decode(std::string_view text);

/// `name` when `isTaken` says it is free, else the first free of "name 2", "name 3", ...
std::string freeName(const std::string& name, const std::function<bool(const std::string&)>& isTaken);

}  // namespace PresetExchange

}  // namespace kestrine
