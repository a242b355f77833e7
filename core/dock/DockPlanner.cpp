#include "core/dock/DockPlanner.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace kestrine::DockPlanner {
namespace {

using Identity = std::optional<std::string>;

std::vector<Identity> identities(const std::vector<DockTile>& tiles) {
    std::vector<Identity> out;
    out.reserve(tiles.size());
    for (const auto& tile : tiles) out.push_back(tile.identity());
    return out;
}

/// Identity to the first tile that has it. The keys view into `ids`.
std::unordered_map<std::string_view, const DockTile*> lookup(const std::vector<DockTile>& tiles,
                                                             const std::vector<Identity>& ids) {
    std::unordered_map<std::string_view, const DockTile*> map;
    map.reserve(tiles.size());
    for (std::size_t i = 0; i < tiles.size(); ++i)
        if (ids[i]) map.try_emplace(*ids[i], &tiles[i]);
    return map;
}

} // namespace

DockPlan plan(const std::vector<DockTile>& current, const std::vector<DockTile>& stored,
              const std::vector<PresetApp>& apps) {
    const auto currentIDs = identities(current);
    const auto storedIDs = identities(stored);
    const auto inDock = lookup(current, currentIDs);
    const auto inState = lookup(stored, storedIDs);

    DockPlan result;
    result.tiles.reserve(apps.size() + current.size());
    std::unordered_set<std::string_view> used; // views into `apps`
    used.reserve(apps.size());
    for (const auto& app : apps) {
        if (used.count(app.id)) continue;
        if (auto it = inDock.find(app.id); it != inDock.end()) {
            result.tiles.push_back(*it->second);
        } else if (auto kept = inState.find(app.id); kept != inState.end()) {
            result.tiles.push_back(*kept->second);
        } else if (!app.path.empty()) {
            result.tiles.push_back(DockTile::make(app));
        } else {
            continue;
        }
        used.insert(app.id);
    }

    for (std::size_t i = 0; i < current.size(); ++i) {
        if (currentIDs[i]) continue;
        auto at = std::min(i, result.tiles.size());
        result.tiles.insert(result.tiles.begin() + static_cast<std::ptrdiff_t>(at), current[i]);
    }

    std::unordered_set<std::string_view> kept; // views into `currentIDs`
    kept.reserve(current.size());
    for (std::size_t i = 0; i < current.size(); ++i) {
        const auto& id = currentIDs[i];
        if (!id || used.count(*id)) continue;
        if (kept.insert(*id).second) result.stored.push_back(current[i]);
    }

    result.changed = result.tiles != current;
    return result;
}

std::vector<PresetApp> apps(const std::vector<DockTile>& tiles) {
    std::vector<PresetApp> result;
    std::unordered_set<std::string> seen;
    for (const auto& tile : tiles) {
        auto id = tile.identity();
        if (!id || !seen.insert(*id).second) continue;
        auto url = tile.fileURL();
        result.emplace_back(*id, url ? url->path : std::string(), tile.displayName());
    }
    return result;
}

std::vector<DockTile> fullList(const std::vector<DockTile>& current, const std::vector<HiddenEntry>& hidden) {
    std::vector<DockTile> result = current;
    // Identities and anchor keys of `result`, kept in step with it.
    std::vector<Identity> ids = identities(current);
    std::vector<Identity> anchors;
    anchors.reserve(current.size());
    for (const auto& tile : current) anchors.push_back(tile.anchorKey());

    std::vector<const HiddenEntry*> order;
    order.reserve(hidden.size());
    for (const auto& entry : hidden) order.push_back(&entry);
    std::stable_sort(order.begin(), order.end(),
                     [](const HiddenEntry* a, const HiddenEntry* b) { return a->originalIndex < b->originalIndex; });

    auto indexOfAnchor = [&](const std::optional<std::string>& key) -> std::optional<std::size_t> {
        if (!key || result.empty()) return std::nullopt;
        for (std::size_t i = 0; i < anchors.size(); ++i)
            if (anchors[i] && *anchors[i] == *key) return i;
        return std::nullopt;
    };

    for (const HiddenEntry* entry : order) {
        Identity id = entry->tile.identity();
        if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;

        std::size_t at;
        if (auto previous = indexOfAnchor(entry->previousKey)) {
            at = *previous + 1;
        } else if (auto next = indexOfAnchor(entry->nextKey)) {
            at = *next;
        } else {
            auto wanted = std::max<std::int64_t>(entry->originalIndex, 0);
            at = static_cast<std::size_t>(std::min<std::int64_t>(wanted, static_cast<std::int64_t>(result.size())));
        }
        auto offset = static_cast<std::ptrdiff_t>(at);
        result.insert(result.begin() + offset, entry->tile);
        ids.insert(ids.begin() + offset, std::move(id));
        anchors.insert(anchors.begin() + offset, entry->tile.anchorKey());
    }
    return result;
}

} // namespace kestrine::DockPlanner
