#include "core/system/PlistFileDockStore.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "core/system/DockPreferencesError.h"

namespace kestrine {
namespace fs = std::filesystem;

PlistFileDockStore::PlistFileDockStore(fs::path file, WallClock clock) : domain_(std::move(file), std::move(clock)) {}

namespace {

bool isAbsolute(const std::optional<std::string>& path) {
    return path && !path->empty() && path->front() == '/';
}

std::optional<std::string> environment(const char* name) {
    if (const char* value = std::getenv(name)) return std::string(value);
    return std::nullopt;
}

} // namespace

fs::path PlistFileDockStore::defaultFile(const std::optional<std::string>& xdgConfigHome,
                                         const std::optional<std::string>& home) {
    // Relative values are invalid by the XDG base-directory rules and are ignored.
    fs::path folder;
    if (isAbsolute(xdgConfigHome)) folder = *xdgConfigHome;
    else if (isAbsolute(home)) folder = fs::path(*home) / ".config";
    else throw std::runtime_error("no configuration folder: neither XDG_CONFIG_HOME nor HOME is an absolute path");
    return folder / (std::string(domainName) + ".plist");
}

fs::path PlistFileDockStore::defaultFile() {
    auto home = environment("HOME");
    if (!isAbsolute(home)) {
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) home = std::string(entry->pw_dir);
    }
    return defaultFile(environment("XDG_CONFIG_HOME"), home);
}

std::optional<plist::Value> PlistFileDockStore::read(const char* key) {
    domain_.synchronize(); // only to pick up what others stored; a failure leaves the file's content
    return domain_.copyValue(key);
}

void PlistFileDockStore::synchronizeOrThrow() {
    if (!domain_.synchronize()) throw DockPreferencesError::synchronizeFailed(domain_.lastError());
}

std::vector<plist::Dictionary> PlistFileDockStore::persistentApps() {
    std::vector<plist::Dictionary> tiles;
    auto value = read(persistentAppsKey);
    if (!value || !value->isArray()) return tiles;
    tiles.reserve(value->array()->size());
    for (auto& element : *value->array()) {
        auto dictionary = element.dictionary();
        if (!dictionary) return {};
        tiles.push_back(std::move(*dictionary));
    }
    return tiles;
}

void PlistFileDockStore::setPersistentApps(const std::vector<plist::Dictionary>& tiles) {
    plist::Array array;
    array.reserve(tiles.size());
    for (const auto& tile : tiles) array.emplace_back(tile);
    domain_.setValue(persistentAppsKey, plist::Value(std::move(array)));
    synchronizeOrThrow();
}

std::optional<bool> PlistFileDockStore::showRecents() {
    auto value = read(showRecentsKey);
    if (value && value->boolean()) return *value->boolean();
    return std::nullopt;
}

void PlistFileDockStore::setShowRecents(bool visible) {
    domain_.setValue(showRecentsKey, plist::Value(visible));
    synchronizeOrThrow();
}

plist::Dictionary PlistFileDockStore::snapshot() {
    // One synchronisation for all three keys, so the snapshot is of one moment.
    domain_.synchronize();
    plist::Dictionary snapshot;
    for (const char* key : {persistentAppsKey, persistentOthersKey}) {
        if (auto value = domain_.copyValue(key)) snapshot.emplace(key, std::move(*value));
    }
    auto recents = domain_.copyValue(showRecentsKey);
    snapshot.emplace(showRecentsKey, plist::Value(recents && recents->boolean() ? *recents->boolean() : true));
    // Preferences that cannot be read are not an empty Dock: say where they are kept, so
    // that this snapshot is never taken for the Dock and put back.
    if (auto kept = domain_.unreadableFile()) snapshot.emplace(unreadableFileKey, plist::Value(kept->string()));
    return snapshot;
}

void PlistFileDockStore::restore(const plist::Dictionary& snapshot) {
    for (const char* key : {persistentAppsKey, persistentOthersKey}) {
        auto it = snapshot.find(key);
        domain_.setValue(key, it == snapshot.end() ? std::nullopt : std::optional<plist::Value>(it->second));
    }
    auto recents = snapshot.find(showRecentsKey);
    if (recents != snapshot.end() && recents->second.boolean()) domain_.setValue(showRecentsKey, recents->second);
    synchronizeOrThrow();
}

} // namespace kestrine
