#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"

#include <unordered_set>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/DesktopTiles.h"
#include "app/platform/linux/GSettingsList.h"
#include "core/system/DockPreferencesError.h"

namespace kestrine {

namespace {
constexpr const char* package = "gnome-shell-common";
}

GSettingsFavoritesStore::GSettingsFavoritesStore() : GSettingsFavoritesStore(nullptr) {}

GSettingsFavoritesStore::GSettingsFavoritesStore(GSettingsBackend* backend)
    : list_(std::make_unique<GSettingsList>(schemaId, favoritesKey, "", package, backend)) {}

GSettingsFavoritesStore::~GSettingsFavoritesStore() = default;

std::optional<std::string> GSettingsFavoritesStore::unavailableReason() {
    return GSettingsList::unavailableReason(schemaId, favoritesKey, package);
}

std::vector<std::string> GSettingsFavoritesStore::favorites() { return list_->read(); }

std::vector<plist::Dictionary> GSettingsFavoritesStore::persistentApps() {
    std::vector<plist::Dictionary> tiles;
    std::unordered_set<std::string> seen;
    for (std::string& entry : list_->read()) {
        if (DesktopEntries::isDesktopId(entry) && seen.insert(entry).second) {
            tiles.push_back(DesktopTiles::applicationTile(entry));
        } else {
            // A repeat or something the Shell may understand but we do not: carried as it is.
            tiles.push_back(plist::Dictionary{{rawEntryKey, std::move(entry)}});
        }
    }
    return tiles;
}

void GSettingsFavoritesStore::setPersistentApps(const std::vector<plist::Dictionary>& tiles) {
    list_->requireWritable();
    std::vector<std::string> entries;
    entries.reserve(tiles.size());
    for (const plist::Dictionary& tile : tiles) {
        if (auto raw = DesktopTiles::stringValue(tile, rawEntryKey)) {
            entries.push_back(std::move(*raw));
        } else if (auto id = DesktopTiles::desktopId(tile)) {
            entries.push_back(std::move(*id));
        }
        // Any other tile names nothing the Shell could show.
    }
    list_->write(entries);
}

plist::Dictionary GSettingsFavoritesStore::snapshot() {
    // A backup of an unreachable list would hold nothing and could later wipe the
    // favourites, so there is none.
    if (!list_->available()) list_->requireWritable();
    plist::Array entries;
    for (std::string& entry : list_->read()) entries.emplace_back(std::move(entry));
    return plist::Dictionary{{snapshotKey, std::move(entries)}};
}

void GSettingsFavoritesStore::restore(const plist::Dictionary& snapshot) {
    list_->requireWritable();
    auto it = snapshot.find(snapshotKey);
    if (it == snapshot.end() || !it->second.array()) {
        list_->reset();
        return;
    }
    std::vector<std::string> entries;
    for (const plist::Value& value : *it->second.array())
        if (value.string()) entries.push_back(*value.string());
    list_->write(entries);
}

} // namespace kestrine
