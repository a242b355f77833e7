#include "core/model/AppState.h"

namespace kestrine {

std::vector<Preset> AppState::orderedPresets() const {
    std::vector<Preset> ordered;
    ordered.reserve(presets.size());
    for (const auto& p : presets)
        if (p.isDefault) ordered.push_back(p);
    for (const auto& p : presets)
        if (!p.isDefault) ordered.push_back(p);
    return ordered;
}

std::optional<Preset> AppState::defaultPreset() const {
    for (const auto& p : presets)
        if (p.isDefault) return p;
    return std::nullopt;
}

std::optional<Preset> AppState::preset(const std::string& id) const {
    for (const auto& p : presets)
        if (p.id == id) return p;
    return std::nullopt;
}

} // namespace kestrine
