#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/model/PresetApp.h"

namespace kestrine {

/// A named, ordered list of applications that the Dock can show.
struct Preset {
    static inline const std::string defaultID = "default";

    std::string id;
    std::string name;
    std::optional<std::string> emoji; // absent or empty: the automatic emoji is shown
    std::vector<PresetApp> apps;
    bool isDefault = false;
    /// Only on presets read from a state file of the older layout (key "hiddenIDs").
    std::optional<std::set<std::string>> legacyHiddenIDs;

    /// `emoji` when present and not empty, else the automatic emoji of the name.
    std::string displayEmoji() const;
    /// Colour index 0 to 5 derived from the name.
    int paletteIndex() const;

    friend bool operator==(const Preset&, const Preset&) = default;
};

} // namespace kestrine
