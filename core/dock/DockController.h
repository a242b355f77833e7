#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dock/ApplyResult.h"
#include "core/dock/DockPlan.h"
#include "core/dock/PresetError.h"
#include "core/model/AppState.h"
#include "core/model/StateStorage.h"
#include "core/system/DockBackupStore.h"
#include "core/system/DockPreferencesStore.h"
#include "core/system/DockRestarter.h"

namespace kestrine {

/// The single owner of the application state and of the four ports through which the
/// engine reaches the system. Every preset and Dock operation goes through it.
///
/// Every change to the state is made in memory and then saved whole; when the save
/// throws, the error is passed on and the change stays in memory. Every Dock write runs
/// in one order: snapshot of the Dock's preferences, backup of it, the write, the state
/// save (where the operation saves), the Dock restart. The first failing step stops the
/// operation; nothing is rolled back. Once the Dock's preferences are written the Dock
/// owes a restart until one succeeds: when the state save or the restart itself fails,
/// the next apply (or `restartIfOwed`) restarts the Dock even if it has nothing to write.
///
/// Not safe for concurrent use; the application calls it from its main thread.
class DockController {
public:
    /// Takes the ports and loads the state; throws what `storage->load()` throws.
    DockController(std::unique_ptr<DockPreferencesStore> preferences, std::unique_ptr<DockRestarter> restarter,
                   std::unique_ptr<DockBackupStore> backups, std::unique_ptr<StateStorage> storage);

    const AppState& state() const { return state_; }

    /// Reconciles the loaded state with the Dock once at start: migrates presets of the
    /// older layout, creates the default preset when there is none, moves hidden entries
    /// into the stored tiles and checks the active preset. Saves only when the state
    /// changed; never writes, backs up or restarts the Dock.
    void bootstrap(const std::string& defaultName, const std::string& defaultEmoji);

    // Reading.

    /// Default presets first, then the others, each group in stored order.
    std::vector<Preset> presets() const { return state_.orderedPresets(); }
    std::optional<Preset> preset(const std::string& id) const { return state_.preset(id); }
    /// The stored active id when it names a preset, else the first default preset's id,
    /// else "default".
    std::string activePresetID() const;
    /// True when a preset other than `excluding` has this name, the candidate trimmed and
    /// both sides lower-cased.
    bool isNameTaken(const std::string& name, const std::optional<std::string>& excluding = std::nullopt) const;

    // Presets (state only).

    Preset createPreset(const std::string& name, const std::optional<std::string>& emoji,
                        const std::vector<PresetApp>& apps);
    void updatePreset(const std::string& id, const std::string& name, const std::optional<std::string>& emoji);
    void deletePreset(const std::string& id);

    /// Stores the preset's applications without repeated ids; saves only on a change.
    void updateApps(const std::string& presetID, const std::vector<PresetApp>& apps);
    /// Stores the active id; saves only on a change of the stored field.
    void setActivePreset(const std::string& presetID);

    // The Dock.

    /// Makes the Dock show these applications: plan, and when the plan changes the Dock,
    /// snapshot, backup and write; save the state when the stored tiles change; restart
    /// the Dock after a write. The stored tiles become the tiles this write takes out of
    /// the Dock together with the earlier stored tiles that the Dock still does not show.
    ApplyResult apply(const std::vector<PresetApp>& apps);
    /// `apply` of the active preset's applications; when no preset has that id, only an
    /// owed restart.
    ApplyResult applyActivePreset();
    /// `updateApps`, then `applyActivePreset` when the preset is the active one.
    ApplyResult setApps(const std::string& presetID, const std::vector<PresetApp>& apps);
    /// `setActivePreset`, then `applyActivePreset`.
    ApplyResult activate(const std::string& presetID);
    /// The applications the Dock shows now.
    std::vector<PresetApp> dockApps();
    /// Whether the Dock shows its recent-applications section (true when unset).
    bool recentsVisible();
    /// Shows or hides the recents section: snapshot, backup, write, restart; nothing when
    /// the value is already set.
    ApplyResult setRecentsVisible(bool visible);
    /// Puts back the Dock of the original backup and makes the default preset active.
    /// Applications the Dock shows and the original lacks become stored tiles, so that a
    /// preset naming them gets their very tiles back. False, with nothing done, when there
    /// is no original backup; throws OriginalDockUnreadableError, with nothing done, when
    /// the original was taken while the Dock's preferences could not be read.
    bool restoreOriginal();

    /// Whether the Dock's preferences were written and the Dock has not been restarted
    /// since (a state save or the restart failed in between).
    bool restartOwed() const { return restartOwed_; }
    /// Restarts the Dock when a restart is owed: {false, true}; else nothing: {false, false}.
    /// A state that an earlier save failed to write is saved first, as in every Dock write.
    ApplyResult restartIfOwed();

private:
    std::vector<DockTile> currentTiles();
    void save();
    std::size_t indexOf(const std::string& presetID) const; // throws notFound
    std::optional<std::string> firstDefaultID() const;
    /// `taken` (tiles just taken out of the Dock), then the earlier stored tiles that
    /// neither `taken` nor `shown` holds.
    std::vector<DockTile> keptTiles(std::vector<DockTile> taken, const std::vector<DockTile>& shown) const;

    std::unique_ptr<DockPreferencesStore> preferences_;
    std::unique_ptr<DockRestarter> restarter_;
    std::unique_ptr<DockBackupStore> backups_;
    bool unsaved_ = false;      // the last save of the state failed
    bool restartOwed_ = false;  // the Dock's preferences changed since its last restart
    std::unique_ptr<StateStorage> storage_;
    AppState state_;
};

} // namespace kestrine
