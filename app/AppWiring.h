#pragma once

#include <filesystem>
#include <memory>

#include "app/AppModel.h"
#include "app/HotKeyCenter.h"
#include "core/system/DockChoice.h"

namespace kestrine {

/// Where the running application keeps its files and finds the dock it switches. The state
/// file and the backups belong to the dock (the file dock's stay in the support folder itself);
/// the shortcut and the onboarding flag are shared by every dock.
struct AppLocations {
    std::filesystem::path supportDirectory; // $XDG_DATA_HOME/Kestrine
    std::filesystem::path dockDomainFile;   // $XDG_CONFIG_HOME/com.apple.dock.plist
    DockChoice dock;

    static AppLocations fromEnvironment(DockChoice dock = DockChoice::file());
    std::filesystem::path dockDataDirectory() const { return dock.dataDirectory(supportDirectory); }
    std::filesystem::path stateFile() const { return dockDataDirectory() / "state.json"; }
    std::filesystem::path backupsDirectory() const { return dockDataDirectory() / "Backups"; }
    std::filesystem::path hotKeyFile() const { return supportDirectory / "hotkey.json"; }
    std::filesystem::path onboardingFile() const { return supportDirectory / "onboarding.json"; }
};

/// The application model over the production ports of `locations.dock`: its preferences store
/// (the Dock's preferences file, GNOME Shell's favourites or a Plank dock), its restarter
/// (killall for the file dock; nothing for the docks that follow their settings live), the
/// backup folder (20 history files) and the state file, with a Qt timer for the debounce and a
/// background thread for the installed-application scan (application bundles for the file
/// dock, desktop entries for the others). A dock whose settings are out of reach gives an
/// inert model that says what is missing.
std::unique_ptr<AppModel> makeAppModel(const AppLocations& locations, QObject* parent = nullptr);

/// The four ports of `locations.dock` without the rest of the model, for commands that work on
/// the files with no application running; `unavailableReason` says when the dock is out of reach.
DockPorts makeDockPorts(const AppLocations& locations, std::optional<std::string>& unavailableReason);

/// The hot-key centre over "hotkey.json" and the platform's hot keys.
std::unique_ptr<HotKeyCenter> makeHotKeyCenter(const AppLocations& locations, QObject* parent = nullptr);

} // namespace kestrine
