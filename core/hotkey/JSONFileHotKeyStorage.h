#pragma once

#include "core/hotkey/HotKeyStorage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrine {

/// Keeps the shortcut in a JSON file: one object with the integer members "keyCode"
/// (0 to 2^32 - 1) and "modifiers" (the raw modifier bits, 0 to 255), written compactly.
class JSONFileHotKeyStorage final : public HotKeyStorage {
public:
    std::filesystem::path url;

    explicit JSONFileHotKeyStorage(std::filesystem::path url) : url(std::move(url)) {}

    /// Reads the file. A missing, unreadable or malformed file, or a shortcut that is not
    /// valid, gives the default shortcut; the file itself is left as it is.
    HotKeySpec load() override;

    /// Creates the file's folder as needed and replaces the file atomically. Throws
    /// std::filesystem::filesystem_error.
    void save(const HotKeySpec& spec) override;

    /// The file's bytes for `spec`: {"keyCode":K,"modifiers":M}.
    static std::string encode(const HotKeySpec& spec);

    /// Decodes the file format. A missing or null member takes the default shortcut's
    /// value for that member; unknown members are ignored. Nothing when the text is not a
    /// JSON object, or a member is not an integer in its range (a fraction, a negative
    /// number, a string, "modifiers" above 255, "keyCode" above 2^32 - 1). The result is
    /// not validated.
    static std::optional<HotKeySpec> decode(std::string_view bytes);
};

} // namespace kestrine
