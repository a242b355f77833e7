#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/system/DockPreferencesStore.h"
#include "core/system/PlistFileDomain.h"

namespace kestrine {

/// The Dock's preferences domain "com.apple.dock" kept as a binary property list, by
/// default $XDG_CONFIG_HOME/com.apple.dock.plist. Every read synchronises the domain first,
/// so it sees what another process stored last; every write synchronises after setting
/// and throws DockPreferencesError::synchronizeFailed when the file was not written. Keys
/// other than the three Dock keys are never touched.
class PlistFileDockStore : public DockPreferencesStore {
public:
    static constexpr const char* domainName = "com.apple.dock";
    static constexpr const char* persistentAppsKey = "persistent-apps";
    static constexpr const char* persistentOthersKey = "persistent-others";
    static constexpr const char* showRecentsKey = "show-recents";

    explicit PlistFileDockStore(std::filesystem::path file, WallClock clock = systemNow);

    /// "<config>/com.apple.dock.plist", where <config> is `xdgConfigHome` when it is an
    /// absolute path, else `home`/.config. Throws std::runtime_error when neither gives an
    /// absolute folder.
    static std::filesystem::path defaultFile(const std::optional<std::string>& xdgConfigHome,
                                             const std::optional<std::string>& home);
    /// The same from XDG_CONFIG_HOME and HOME of the environment; without HOME, the home
    /// folder of the user database.
    static std::filesystem::path defaultFile();

    const std::filesystem::path& file() const { return domain_.file(); }

    std::vector<plist::Dictionary> persistentApps() override;
    void setPersistentApps(const std::vector<plist::Dictionary>& tiles) override;
    std::optional<bool> showRecents() override;
    void setShowRecents(bool visible) override;
    plist::Dictionary snapshot() override;
    void restore(const plist::Dictionary& snapshot) override;

private:
    std::optional<plist::Value> read(const char* key);
    void synchronizeOrThrow();

    PlistFileDomain domain_;
};

} // namespace kestrine
