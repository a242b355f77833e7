#include "core/dock/DockController.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "core/dock/DockPlanner.h"
#include "core/dock/OriginalDockUnreadableError.h"
#include "core/model/PresetApps.h"
#include "core/support/UUID.h"
#include "core/support/Unicode.h"

namespace kestrine {

namespace {

std::set<std::string> identities(const std::vector<DockTile>& tiles) {
    std::set<std::string> ids;
    for (const auto& tile : tiles)
        if (auto id = tile.identity()) ids.insert(std::move(*id));
    return ids;
}

/// The tiles of a backup's "persistent-apps" when it is an array of dictionaries.
std::optional<std::vector<DockTile>> backupTiles(const plist::Dictionary& backup) {
    auto it = backup.find("persistent-apps");
    if (it == backup.end() || !it->second.isArray()) return std::nullopt;
    std::vector<DockTile> tiles;
    for (const auto& element : *it->second.array()) {
        auto dictionary = element.dictionary();
        if (!dictionary) return std::nullopt;
        tiles.emplace_back(*dictionary);
    }
    return tiles;
}

} // namespace

DockController::DockController(std::unique_ptr<DockPreferencesStore> preferences,
                               std::unique_ptr<DockRestarter> restarter, std::unique_ptr<DockBackupStore> backups,
                               std::unique_ptr<StateStorage> storage)
    : preferences_(std::move(preferences)),
      restarter_(std::move(restarter)),
      backups_(std::move(backups)),
      storage_(std::move(storage)) {
    if (!preferences_ || !restarter_ || !backups_ || !storage_)
        throw std::invalid_argument("DockController needs all four ports");
    state_ = storage_->load();
}

// MARK: - Helpers

std::vector<DockTile> DockController::currentTiles() {
    std::vector<DockTile> tiles;
    for (auto& raw : preferences_->persistentApps()) tiles.emplace_back(std::move(raw));
    return tiles;
}

void DockController::save() {
    unsaved_ = true;
    storage_->save(state_);
    unsaved_ = false;
}

std::size_t DockController::indexOf(const std::string& presetID) const {
    for (std::size_t i = 0; i < state_.presets.size(); ++i)
        if (state_.presets[i].id == presetID) return i;
    throw PresetError::notFound();
}

std::vector<DockTile> DockController::keptTiles(std::vector<DockTile> taken, const std::vector<DockTile>& shown) const {
    // The tiles this write takes out of the Dock, then the tiles stored earlier that are
    // still not in the Dock: a tile stays stored until the Dock shows it again. Dropping
    // the earlier ones would lose them for good whenever a later apply removes nothing
    // (an application known only by its label cannot be rebuilt at all).
    std::vector<DockTile> kept = std::move(taken);
    std::set<std::string> seen = identities(shown);
    for (const auto& tile : kept)
        if (auto id = tile.identity()) seen.insert(*id);
    for (const auto& tile : state_.storedTiles) {
        auto id = tile.identity();
        if (id && seen.insert(*id).second) kept.push_back(tile);
    }
    return kept;
}

std::optional<std::string> DockController::firstDefaultID() const {
    if (auto preset = state_.defaultPreset()) return preset->id;
    return std::nullopt;
}

// MARK: - Start-up

void DockController::bootstrap(const std::string& defaultName, const std::string& defaultEmoji) {
    const AppState before = state_;
    const std::vector<DockTile> current = currentTiles();
    const std::vector<DockTile> full = DockPlanner::fullList(current, state_.hidden);

    // Presets of the older layout named the tiles they hid; they now list what they show.
    for (auto& preset : state_.presets) {
        if (!preset.legacyHiddenIDs) continue;
        std::vector<PresetApp> apps;
        for (auto& app : DockPlanner::apps(full))
            if (!preset.legacyHiddenIDs->count(app.id)) apps.push_back(std::move(app));
        preset.apps = std::move(apps);
        preset.legacyHiddenIDs.reset();
    }

    const bool hasDefault = std::any_of(state_.presets.begin(), state_.presets.end(),
                                        [](const Preset& p) { return p.isDefault; });
    if (!hasDefault) {
        const bool existingInstallation = !before.presets.empty() || !before.hidden.empty();
        std::vector<DockTile> base = full;
        if (existingInstallation) {
            // The Dock as it was before this program first changed it, when that is known.
            if (auto original = backups_->loadOriginal())
                if (auto tiles = backupTiles(*original)) base = std::move(*tiles);
        }

        std::string name = defaultName;
        for (int counter = 2; isNameTaken(name); ++counter) name = defaultName + " " + std::to_string(counter);

        Preset preset;
        preset.id = Preset::defaultID;
        preset.name = name;
        preset.emoji = defaultEmoji;
        preset.apps = DockPlanner::apps(base);
        preset.isDefault = true;
        state_.presets.insert(state_.presets.begin(), std::move(preset));

        if (existingInstallation && !state_.activePresetID) {
            // The preset whose applications are exactly what the Dock shows is the active one.
            const std::set<std::string> shown = identities(current);
            for (const auto& candidate : state_.orderedPresets()) {
                std::set<std::string> ids;
                for (const auto& app : candidate.apps) ids.insert(app.id);
                if (ids == shown) {
                    state_.activePresetID = candidate.id;
                    break;
                }
            }
        }
    }

    // Tiles the older model took out of the Dock become stored tiles.
    const std::set<std::string> shown = identities(current);
    for (const auto& entry : state_.hidden) {
        auto id = entry.tile.identity();
        if (!id || shown.count(*id)) continue;
        bool alreadyStored = std::any_of(state_.storedTiles.begin(), state_.storedTiles.end(),
                                         [&](const DockTile& tile) { return tile.identity() == id; });
        if (!alreadyStored) state_.storedTiles.push_back(entry.tile);
    }
    state_.hidden.clear();

    if (!state_.activePresetID || !state_.preset(*state_.activePresetID)) state_.activePresetID = firstDefaultID();

    if (state_ != before) save();
}

// MARK: - Reading

std::string DockController::activePresetID() const {
    if (state_.activePresetID && state_.preset(*state_.activePresetID)) return *state_.activePresetID;
    return firstDefaultID().value_or(Preset::defaultID);
}

bool DockController::isNameTaken(const std::string& name, const std::optional<std::string>& excluding) const {
    const std::string candidate = lowercased(trimmed(name));
    for (const auto& preset : state_.presets) {
        if (excluding && *excluding == preset.id) continue;
        if (lowercased(preset.name) == candidate) return true;
    }
    return false;
}

// MARK: - Presets

Preset DockController::createPreset(const std::string& name, const std::optional<std::string>& emoji,
                                    const std::vector<PresetApp>& apps) {
    const std::string cleanName = trimmed(name);
    if (cleanName.empty()) throw PresetError::emptyName();
    if (isNameTaken(cleanName)) throw PresetError::nameTaken();

    Preset preset;
    preset.id = makeUUID();
    preset.name = cleanName;
    preset.emoji = emoji;
    preset.apps = PresetApps::adding({}, apps);
    preset.isDefault = false;
    state_.presets.push_back(preset);
    save();
    return preset;
}

void DockController::updatePreset(const std::string& id, const std::string& name,
                                  const std::optional<std::string>& emoji) {
    const std::size_t index = indexOf(id);
    const std::string cleanName = trimmed(name);
    if (cleanName.empty()) throw PresetError::emptyName();
    if (isNameTaken(cleanName, id)) throw PresetError::nameTaken();
    state_.presets[index].name = cleanName;
    state_.presets[index].emoji = emoji;
    save();
}

void DockController::deletePreset(const std::string& id) {
    const Preset& preset = state_.presets[indexOf(id)];
    if (preset.isDefault) throw PresetError::cannotDeleteDefault();
    const bool wasActive = id == activePresetID();
    std::erase_if(state_.presets, [&](const Preset& p) { return p.id == id; });
    if (wasActive) state_.activePresetID = firstDefaultID();
    save();
}

void DockController::updateApps(const std::string& presetID, const std::vector<PresetApp>& apps) {
    const std::size_t index = indexOf(presetID);
    std::vector<PresetApp> cleaned = PresetApps::adding({}, apps);
    if (cleaned == state_.presets[index].apps) return;
    state_.presets[index].apps = std::move(cleaned);
    save();
}

void DockController::setActivePreset(const std::string& presetID) {
    if (!state_.preset(presetID)) throw PresetError::notFound();
    if (state_.activePresetID == presetID) return;
    state_.activePresetID = presetID;
    save();
}

// MARK: - The Dock

ApplyResult DockController::apply(const std::vector<PresetApp>& apps) {
    const DockPlan plan = DockPlanner::plan(currentTiles(), state_.storedTiles, apps);
    if (plan.changed) {
        backups_->saveBackup(preferences_->snapshot());
        std::vector<plist::Dictionary> raw;
        raw.reserve(plan.tiles.size());
        for (const auto& tile : plan.tiles) raw.push_back(tile.raw());
        preferences_->setPersistentApps(raw);
        restartOwed_ = true;
    }
    std::vector<DockTile> stored = keptTiles(plan.stored, plan.tiles);
    // A state that an earlier save failed to write is saved with the next apply, even when
    // the plan changes nothing: the tiles taken out of the Dock then may live only in memory.
    if (stored != state_.storedTiles || unsaved_) {
        state_.storedTiles = std::move(stored);
        save();
    }
    // Also a restart that an earlier write still owes: a Dock that already matches was
    // written by a call that then failed, and has not reread its preferences since.
    return ApplyResult{plan.changed, restartIfOwed().restarted};
}

ApplyResult DockController::restartIfOwed() {
    if (!restartOwed_) return {};
    if (unsaved_) save(); // the write that owes the restart may have failed at its save
    restarter_->restart();
    restartOwed_ = false;
    return ApplyResult{false, true};
}

ApplyResult DockController::applyActivePreset() {
    auto preset = state_.preset(activePresetID());
    if (!preset) return restartIfOwed();
    return apply(preset->apps);
}

ApplyResult DockController::setApps(const std::string& presetID, const std::vector<PresetApp>& apps) {
    updateApps(presetID, apps);
    if (presetID == activePresetID()) return applyActivePreset();
    return {};
}

ApplyResult DockController::activate(const std::string& presetID) {
    setActivePreset(presetID);
    return applyActivePreset();
}

std::vector<PresetApp> DockController::dockApps() {
    return DockPlanner::apps(currentTiles());
}

bool DockController::recentsVisible() {
    return preferences_->showRecents().value_or(true);
}

ApplyResult DockController::setRecentsVisible(bool visible) {
    if (recentsVisible() == visible) return {};
    backups_->saveBackup(preferences_->snapshot());
    preferences_->setShowRecents(visible);
    restartOwed_ = true;
    restartIfOwed();
    return ApplyResult{true, true};
}

bool DockController::restoreOriginal() {
    auto original = backups_->loadOriginal();
    if (!original) return false;
    // An original taken while the Dock's preferences could not be read holds no Dock:
    // putting it back would empty the Dock.
    if (auto it = original->find(DockPreferencesStore::unreadableFileKey); it != original->end()) {
        const std::string* kept = it->second.string();
        throw OriginalDockUnreadableError(kept ? *kept : std::string());
    }
    const plist::Dictionary snapshot = preferences_->snapshot();
    backups_->saveBackup(snapshot);
    preferences_->restore(*original);
    restartOwed_ = true;

    // What the Dock shows and the original lacks stays at hand as stored tiles.
    std::vector<DockTile> restored = backupTiles(*original).value_or(std::vector<DockTile>{});
    const std::set<std::string> inOriginal = identities(restored);
    std::vector<DockTile> taken;
    std::set<std::string> seen;
    for (auto& tile : backupTiles(snapshot).value_or(std::vector<DockTile>{})) {
        auto id = tile.identity();
        if (id && !inOriginal.count(*id) && seen.insert(*id).second) taken.push_back(std::move(tile));
    }
    // Earlier stored tiles all stay, even those the original shows: the next apply sorts them.
    state_.storedTiles = keptTiles(std::move(taken), {});
    state_.activePresetID = firstDefaultID();
    save();
    restartIfOwed();
    return true;
}

} // namespace kestrine
