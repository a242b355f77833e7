#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/system/DockPreferencesStore.h"

typedef struct _GSettingsBackend GSettingsBackend;

namespace kestrine {

class GSettingsList;

/// GNOME Shell's favourites (also shown by Ubuntu Dock, Dash to Dock and Dash to Panel):
/// the key "favorite-apps" of the schema "org.gnome.shell", a list of desktop-file IDs,
/// read and written through GSettings so that the running Shell follows at once.
///
/// Each ID that names an installed desktop entry becomes an application tile (its
/// identity is the ID, its label the entry's name, its file URL the entry's file); an ID
/// without an entry becomes a tile with the ID as identity and label and no file URL.
/// Repeats of an ID already seen and strings that are not desktop IDs become tiles without
/// identity that carry the string, so they keep their place and are written back as they
/// were. There is no recents section.
///
/// Construction never throws. When the schema is missing, reads give an empty list, and
/// writes and snapshot() throw DockPreferencesError::unavailable (a backup of nothing
/// could later wipe the favourites); so does a write that the backend did not keep (dconf
/// without its D-Bus session). A key that is not writable makes writes throw
/// DockPreferencesError::writeRefused with nothing changed.
class GSettingsFavoritesStore final : public DockPreferencesStore {
public:
    static constexpr const char* schemaId = "org.gnome.shell";
    static constexpr const char* favoritesKey = "favorite-apps";
    /// The snapshot's only key; it holds the list of strings exactly as stored.
    static constexpr const char* snapshotKey = "favorite-apps";
    /// Tile key under which an entry that is not an application keeps its string.
    static constexpr const char* rawEntryKey = "kestrine-favorite-entry";

    /// Over the default settings backend.
    GSettingsFavoritesStore();
    /// Over `backend` (the store keeps its own reference), for another settings source.
    explicit GSettingsFavoritesStore(GSettingsBackend* backend);
    ~GSettingsFavoritesStore() override;
    GSettingsFavoritesStore(const GSettingsFavoritesStore&) = delete;
    GSettingsFavoritesStore& operator=(const GSettingsFavoritesStore&) = delete;

    /// What keeps the store from working with the default backend, for the user (which
    /// package to install); nothing when it is usable.
    static std::optional<std::string> unavailableReason();

    /// The stored list of strings, unchanged.
    std::vector<std::string> favorites();

    std::vector<plist::Dictionary> persistentApps() override;
    void setPersistentApps(const std::vector<plist::Dictionary>& tiles) override;
    std::optional<bool> showRecents() override { return std::nullopt; }
    void setShowRecents(bool) override {}
    plist::Dictionary snapshot() override;
    void restore(const plist::Dictionary& snapshot) override;
    bool supportsRecents() const override { return false; }

private:
    std::unique_ptr<GSettingsList> list_;
};

} // namespace kestrine
