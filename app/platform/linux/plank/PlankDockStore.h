#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/system/DockPreferencesStore.h"

typedef struct _GSettingsBackend GSettingsBackend;

namespace kestrine {

class GSettingsList;

/// One Plank dock: the order is the key "dock-items" of the relocatable schema
/// "net.launchpad.plank.dock.settings" at /net/launchpad/plank/docks/<dock>/, and each
/// item is a ".dockitem" key file in the launchers folder whose group
/// "PlankDockItemPreferences" has a "Launcher" URI.
///
/// Plank shows every ".dockitem" file of the folder; "dock-items" orders them. Files it
/// does not list are read after the listed ones, by name, so they are written into it.
///
/// An item whose Launcher is the file URI of a desktop file is an application tile
/// (identity: the desktop-file ID) that also carries the item's file name and bytes, so
/// a tile taken out and stored brings back the very same file. Docklets, folders, files,
/// items without a Launcher, unreadable items and repeats of an application become tiles
/// without identity that carry the item's name; they keep their place and their files are
/// never touched.
///
/// A write first checks that "dock-items" is writable (else writeRefused, nothing
/// changed), writes every missing item file atomically, sets "dock-items", then deletes
/// the files of the applications that the new list leaves out. A running Plank follows the
/// files live but not a new order in "dock-items": it takes out the items whose files go,
/// appends those whose files appear and writes its own order back. When a write asks for
/// another order, orderToRestartFor() holds it until a PlankRestarter has started Plank
/// again. When "dock-items" is not stored in the end, the files this write added are
/// removed again. Without the schema, writes and snapshot() throw DockPreferencesError::unavailable.
class PlankDockStore final : public DockPreferencesStore {
public:
    static constexpr const char* schemaId = "net.launchpad.plank.dock.settings";
    static constexpr const char* itemsKey = "dock-items";
    /// Snapshot keys: "dock-items" (the list of file names) and "launchers" (file name →
    /// the file's bytes, for every ".dockitem" file of the launchers folder).
    static constexpr const char* snapshotItemsKey = "dock-items";
    static constexpr const char* snapshotLaunchersKey = "launchers";
    /// Tile keys: the item's file name and (when it could be read) its bytes.
    static constexpr const char* itemFileKey = "kestrine-plank-item";
    static constexpr const char* itemDataKey = "kestrine-plank-item-data";

    /// Over the default settings backend.
    PlankDockStore(std::string dockName, std::filesystem::path launchersDirectory);
    /// Over `backend` (the store keeps its own reference), for another settings source.
    PlankDockStore(std::string dockName, std::filesystem::path launchersDirectory, GSettingsBackend* backend);
    ~PlankDockStore() override;
    PlankDockStore(const PlankDockStore&) = delete;
    PlankDockStore& operator=(const PlankDockStore&) = delete;

    /// $XDG_CONFIG_HOME/plank/<dock>/launchers, XDG_CONFIG_HOME defaulting to ~/.config.
    static std::filesystem::path defaultLaunchersDirectory(const std::string& dockName);
    /// "/net/launchpad/plank/docks/<dock>/".
    static std::string settingsPath(const std::string& dockName);
    /// What keeps Plank's settings from being used with the default backend, for the user;
    /// nothing when usable.
    static std::optional<std::string> unavailableReason();

    const std::string& dockName() const { return dockName_; }
    const std::filesystem::path& launchersDirectory() const { return launchers_; }

    /// The stored "dock-items", unchanged.
    std::vector<std::string> dockItems();

    /// The order of the last write when a running Plank would show another one; nothing when
    /// it follows by itself.
    const std::optional<std::vector<std::string>>& orderToRestartFor() const { return restartOrder_; }
    /// Stores that order in "dock-items" again (a running Plank may have written its own
    /// meanwhile) and forgets it.
    void reassertOrder();

    std::vector<plist::Dictionary> persistentApps() override;
    void setPersistentApps(const std::vector<plist::Dictionary>& tiles) override;
    std::optional<bool> showRecents() override { return std::nullopt; }
    void setShowRecents(bool) override {}
    plist::Dictionary snapshot() override;
    void restore(const plist::Dictionary& snapshot) override;
    bool supportsRecents() const override { return false; }

private:
    /// "dock-items", then the item files it does not list (Plank shows those too), by name.
    std::vector<std::string> shownItems();
    /// Notes `wanted` for a restart unless Plank, having shown `before`, gets there by
    /// dropping the items whose files are gone and appending the `created` ones.
    void noteOrder(const std::vector<std::string>& before, const std::vector<std::string>& created,
                   const std::vector<std::string>& wanted);

    std::string dockName_;
    std::filesystem::path launchers_;
    std::unique_ptr<GSettingsList> list_;
    std::optional<std::vector<std::string>> restartOrder_;
};

} // namespace kestrine
