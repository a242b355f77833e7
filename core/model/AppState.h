#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/dock/DockTile.h"
#include "core/model/HiddenEntry.h"
#include "core/model/Preset.h"

namespace kestrine {

/// Everything kept in the state file.
struct AppState {
    std::vector<HiddenEntry> hidden;
    std::vector<DockTile> storedTiles;
    std::vector<Preset> presets;
    std::optional<std::string> activePresetID;

    /// Default presets first (stored order), then the others (stored order).
    std::vector<Preset> orderedPresets() const;
    /// The first preset marked default, in stored order.
    std::optional<Preset> defaultPreset() const;
    /// The first preset with exactly this id.
    std::optional<Preset> preset(const std::string& id) const;

    friend bool operator==(const AppState&, const AppState&) = default;
};

} // namespace kestrine
