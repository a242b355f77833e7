#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/dock/DockTile.h"

namespace kestrine {

/// A Dock tile that the older model took out of the Dock, with where it stood.
struct HiddenEntry {
    DockTile tile;
    std::int64_t originalIndex = 0;
    std::optional<std::string> previousKey; // anchor key of the tile just before it
    std::optional<std::string> nextKey;     // anchor key of the tile just after it

    friend bool operator==(const HiddenEntry&, const HiddenEntry&) = default;
};

} // namespace kestrine
