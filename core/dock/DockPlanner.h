#pragma once

#include <vector>

#include "core/dock/DockPlan.h"
#include "core/dock/DockTile.h"
#include "core/model/HiddenEntry.h"
#include "core/model/PresetApp.h"

namespace kestrine {

/// The engine's list logic: pure functions over tile lists that never fail. Tiles are
/// recognised by `DockTile::identity()` and positioned by `DockTile::anchorKey()`, both
/// compared as exact strings.
namespace DockPlanner {

/// The Dock a preset asks for. Each application reuses the first tile of its identity in
/// `current`, else in `stored`, else a new tile made from its path (applications without
/// any tile and without a path are dropped; repeated ids appear once). Tiles without an
/// identity keep their index from the start of the Dock. `stored` of the result holds the
/// identified tiles of `current` that the new list leaves out.
DockPlan plan(const std::vector<DockTile>& current, const std::vector<DockTile>& stored,
              const std::vector<PresetApp>& apps);

/// The applications a tile list shows, one per identity, first tile wins.
std::vector<PresetApp> apps(const std::vector<DockTile>& tiles);

/// `current` with the tiles of `hidden` put back at their remembered places: after the
/// tile of `previousKey`, else before the tile of `nextKey`, else at `originalIndex`
/// clamped to the list. Entries are placed in ascending `originalIndex` (stable) and
/// skipped when their identity is already in the list.
std::vector<DockTile> fullList(const std::vector<DockTile>& current, const std::vector<HiddenEntry>& hidden);

} // namespace DockPlanner
} // namespace kestrine
