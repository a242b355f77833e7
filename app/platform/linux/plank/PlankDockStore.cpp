#include "app/platform/linux/plank/PlankDockStore.h"

#include <gio/gio.h>

#include <algorithm>
#include <set>
#include <system_error>
#include <unordered_set>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/DesktopTiles.h"
#include "app/platform/linux/GSettingsList.h"
#include "core/support/AtomicFile.h"
#include "core/system/DockPreferencesError.h"

namespace kestrine {
namespace fs = std::filesystem;

namespace {

constexpr const char* package = "plank";
constexpr const char* itemGroup = "PlankDockItemPreferences";
constexpr const char* launcherKey = "Launcher";
constexpr std::string_view itemExtension = ".dockitem";

// A name that stays inside the launchers folder.
bool isItemName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::optional<std::string> readItem(const fs::path& file) {
    try {
        return readFileIfExists(file);
    } catch (const std::exception&) {
        return std::nullopt; // unreadable: the item is carried without looking inside
    }
}

// The desktop file that an item's Launcher points at, when the item is an application.
std::optional<std::string> launcherDesktopFile(const std::string& bytes) {
    std::optional<std::string> result;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_data(file, bytes.data(), bytes.size(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* uri = g_key_file_get_string(file, itemGroup, launcherKey, nullptr)) {
            if (gchar* path = g_filename_from_uri(uri, nullptr, nullptr)) {
                if (DesktopEntries::desktopIdForPath(path)) result = path;
                g_free(path);
            }
            g_free(uri);
        }
    }
    g_key_file_free(file);
    return result;
}

std::optional<std::string> itemContent(const std::string& desktopFile) {
    gchar* uri = g_filename_to_uri(desktopFile.c_str(), nullptr, nullptr);
    if (!uri) return std::nullopt;
    std::string content = std::string("[") + itemGroup + "]\n" + launcherKey + "=" + uri + "\n";
    g_free(uri);
    return content;
}

// What one item of "dock-items" is.
struct Item {
    std::optional<std::string> bytes;
    std::optional<std::string> desktopFile;
    std::optional<std::string> desktopId;
};

Item inspect(const fs::path& folder, const std::string& name) {
    Item item;
    if (!isItemName(name)) return item;
    item.bytes = readItem(folder / name);
    if (item.bytes) item.desktopFile = launcherDesktopFile(*item.bytes);
    if (item.desktopFile) item.desktopId = DesktopEntries::desktopIdForPath(*item.desktopFile);
    return item;
}

std::string asString(const plist::Data& data) { return std::string(data.begin(), data.end()); }

std::optional<std::string> itemData(const plist::Dictionary& tile) {
    auto it = tile.find(PlankDockStore::itemDataKey);
    if (it == tile.end() || !it->second.data()) return std::nullopt;
    return asString(*it->second.data());
}

bool occupied(const fs::path& path) {
    std::error_code error; // a path that cannot be examined counts as taken
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

void removeQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

bool isItemFile(const fs::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    std::error_code error;
    return name.size() > itemExtension.size() && name.ends_with(itemExtension) && name.front() != '.' &&
           entry.is_regular_file(error);
}

} // namespace

PlankDockStore::PlankDockStore(std::string dockName, fs::path launchersDirectory)
    : PlankDockStore(std::move(dockName), std::move(launchersDirectory), nullptr) {}

PlankDockStore::PlankDockStore(std::string dockName, fs::path launchersDirectory, GSettingsBackend* backend)
    : dockName_(std::move(dockName)), launchers_(std::move(launchersDirectory)),
      list_(std::make_unique<GSettingsList>(schemaId, itemsKey, settingsPath(dockName_), package, backend)) {}

PlankDockStore::~PlankDockStore() = default;

fs::path PlankDockStore::defaultLaunchersDirectory(const std::string& dockName) {
    return fs::path(g_get_user_config_dir()) / "plank" / dockName / "launchers";
}

std::string PlankDockStore::settingsPath(const std::string& dockName) {
    return "/net/launchpad/plank/docks/" + dockName + "/";
}

std::optional<std::string> PlankDockStore::unavailableReason() {
    return GSettingsList::unavailableReason(schemaId, itemsKey, package);
}

std::vector<std::string> PlankDockStore::dockItems() { return list_->read(); }

std::vector<std::string> PlankDockStore::shownItems() {
    // Plank shows every item file of the folder, "dock-items" only orders them: files it
    // does not list come after the listed ones.
    std::vector<std::string> names = list_->read();
    if (!list_->available()) return names;
    const std::set<std::string> listed(names.begin(), names.end());
    std::vector<std::string> unlisted;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(launchers_, error)) {
        std::string name = entry.path().filename().string();
        if (isItemFile(entry) && !listed.contains(name)) unlisted.push_back(std::move(name));
    }
    std::sort(unlisted.begin(), unlisted.end());
    names.insert(names.end(), unlisted.begin(), unlisted.end());
    return names;
}

void PlankDockStore::noteOrder(const std::vector<std::string>& before, const std::vector<std::string>& created,
                               const std::vector<std::string>& wanted) {
    // Only items with a file are on the dock.
    auto shown = [&](const std::string& name) {
        if (!isItemName(name)) return false;
        std::error_code error;
        return fs::is_regular_file(launchers_ / name, error);
    };
    const std::set<std::string> fresh(created.begin(), created.end());
    std::vector<std::string> live;
    for (const std::string& name : before)
        if (shown(name) && !fresh.contains(name) && std::find(live.begin(), live.end(), name) == live.end())
            live.push_back(name);
    for (const std::string& name : created)
        if (shown(name)) live.push_back(name);
    std::vector<std::string> target;
    for (const std::string& name : wanted)
        if (shown(name) && std::find(target.begin(), target.end(), name) == target.end()) target.push_back(name);
    if (live == target) restartOrder_.reset();
    else restartOrder_ = wanted;
}

void PlankDockStore::reassertOrder() {
    if (!restartOrder_) return;
    list_->write(*restartOrder_);
    restartOrder_.reset();
}

std::vector<plist::Dictionary> PlankDockStore::persistentApps() {
    std::vector<plist::Dictionary> tiles;
    std::unordered_set<std::string> seen;
    for (const std::string& name : shownItems()) {
        Item item = inspect(launchers_, name);
        if (item.desktopId && seen.insert(*item.desktopId).second) {
            plist::Dictionary tile = DesktopTiles::applicationTile(*item.desktopId, item.desktopFile);
            tile[itemFileKey] = name;
            tile[itemDataKey] = plist::Data(item.bytes->begin(), item.bytes->end());
            tiles.push_back(std::move(tile));
        } else {
            // A docklet, folder, file, repeat or an item we cannot read: only its place.
            tiles.push_back(plist::Dictionary{{itemFileKey, name}});
        }
    }
    return tiles;
}

void PlankDockStore::setPersistentApps(const std::vector<plist::Dictionary>& tiles) {
    list_->requireWritable();
    const std::vector<std::string> before = shownItems();

    // The application items of the dock now: the only files this write may delete.
    std::vector<std::string> applicationsBefore;
    for (const plist::Dictionary& tile : persistentApps())
        if (DesktopTiles::desktopId(tile)) applicationsBefore.push_back(*DesktopTiles::stringValue(tile, itemFileKey));

    std::vector<std::string> names;
    std::set<std::string> taken;
    std::vector<std::pair<std::string, std::string>> writes; // missing files: name, content
    auto use = [&](const std::string& name) {
        names.push_back(name);
        taken.insert(name);
    };

    for (const plist::Dictionary& tile : tiles) {
        const std::optional<std::string> name = DesktopTiles::stringValue(tile, itemFileKey);
        const std::optional<std::string> id = DesktopTiles::desktopId(tile);
        if (!id) {
            if (name && isItemName(*name) && !taken.contains(*name)) use(*name);
            continue;
        }
        const std::optional<std::string> data = itemData(tile);
        if (name && isItemName(*name) && !taken.contains(*name)) {
            if (!occupied(launchers_ / *name)) {
                if (data) {
                    writes.emplace_back(*name, *data);
                    use(*name);
                    continue;
                }
            } else if (inspect(launchers_, *name).desktopId == id) {
                use(*name);
                continue;
            }
            // The name now belongs to another item: this one gets a new file.
        }
        std::optional<std::string> content = data;
        if (!content)
            if (auto file = DesktopTiles::desktopFilePath(tile)) content = itemContent(*file);
        if (!content) continue; // no desktop file to launch: nothing Plank could show

        const std::string base = id->substr(0, id->size() - std::string_view(".desktop").size());
        for (int n = 1;; ++n) {
            const std::string candidate = base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(itemExtension);
            if (taken.contains(candidate)) continue;
            if (occupied(launchers_ / candidate)) {
                if (inspect(launchers_, candidate).desktopId != id) continue;
                use(candidate); // a file for this application is there already
            } else {
                writes.emplace_back(candidate, *content);
                use(candidate);
            }
            break;
        }
    }

    std::vector<fs::path> written;
    try {
        for (const auto& [name, content] : writes) {
            writeFileAtomically(launchers_ / name, content);
            written.push_back(launchers_ / name);
        }
        list_->write(names);
    } catch (...) {
        // Files nobody lists would be picked up by Plank on its own: take them back.
        for (const fs::path& file : written) removeQuietly(file);
        throw;
    }
    for (const std::string& name : applicationsBefore)
        if (!taken.contains(name)) removeQuietly(launchers_ / name);
    std::vector<std::string> created;
    for (const auto& [name, content] : writes) created.push_back(name);
    noteOrder(before, created, names);
}

plist::Dictionary PlankDockStore::snapshot() {
    // A backup of unreachable settings would hold nothing and could later empty the dock.
    if (!list_->available()) list_->requireWritable();
    plist::Array items;
    for (std::string& name : list_->read()) items.emplace_back(std::move(name));
    plist::Dictionary launchers;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(launchers_, error)) {
        if (!isItemFile(entry)) continue;
        if (auto bytes = readItem(entry.path()))
            launchers[entry.path().filename().string()] = plist::Data(bytes->begin(), bytes->end());
    }
    return plist::Dictionary{{snapshotItemsKey, std::move(items)}, {snapshotLaunchersKey, std::move(launchers)}};
}

void PlankDockStore::restore(const plist::Dictionary& snapshot) {
    list_->requireWritable();
    const std::vector<std::string> before = shownItems();
    std::vector<std::string> created;
    const plist::Value* launchers = nullptr;
    if (auto it = snapshot.find(snapshotLaunchersKey); it != snapshot.end() && it->second.dictionary())
        launchers = &it->second;
    if (launchers) {
        for (const auto& [name, value] : *launchers->dictionary()) {
            if (!isItemName(name) || !value.data()) continue;
            const std::string bytes = asString(*value.data());
            if (readItem(launchers_ / name) == bytes) continue;
            if (!occupied(launchers_ / name)) created.push_back(name);
            writeFileAtomically(launchers_ / name, bytes);
        }
    }
    auto items = snapshot.find(snapshotItemsKey);
    if (items == snapshot.end() || !items->second.array()) {
        list_->reset();
    } else {
        std::vector<std::string> names;
        for (const plist::Value& value : *items->second.array())
            if (value.string()) names.push_back(*value.string());
        list_->write(names);
    }
    if (launchers) {
        // Item files the snapshot did not have would come back into the dock by themselves.
        std::error_code error;
        std::vector<fs::path> extra;
        for (const auto& entry : fs::directory_iterator(launchers_, error))
            if (isItemFile(entry) && !launchers->dictionary()->contains(entry.path().filename().string()))
                extra.push_back(entry.path());
        for (const fs::path& file : extra) removeQuietly(file);
    }
    noteOrder(before, created, shownItems());
}

} // namespace kestrine
