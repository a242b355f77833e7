#pragma once

#include <vector>

#include "core/dock/DockTile.h"

namespace kestrine {

/// What applying a preset does to the Dock.
struct DockPlan {
    /// The new "persistent-apps", in order.
    std::vector<DockTile> tiles;
    /// Tiles of the current Dock that `tiles` leaves out, one per identity, in Dock order.
    std::vector<DockTile> stored;
    /// True when `tiles` differs from the current list.
    bool changed = false;

    friend bool operator==(const DockPlan&, const DockPlan&) = default;
};

} // namespace kestrine
