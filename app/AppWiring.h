#pragma once

#include <filesystem>
#include <memory>

#include "app/AppModel.h"
#include "app/HotKeyCenter.h"

namespace kestrine {

/// Where the running application keeps its files and finds the Dock's preferences.
struct AppLocations {
    std::filesystem::path supportDirectory; // $XDG_DATA_HOME/Kestrine
    std::filesystem::path dockDomainFile;   // $XDG_CONFIG_HOME/com.apple.dock.plist

    static AppLocations fromEnvironment();
    std::filesystem::path stateFile() const { return supportDirectory / "state.json"; }
    std::filesystem::path backupsDirectory() const { return supportDirectory / "Backups"; }
    std::filesystem::path hotKeyFile() const { return supportDirectory / "hotkey.json"; }
    std::filesystem::path onboardingFile() const { return supportDirectory / "onboarding.json"; }
};

/// The application model over the production ports: the Dock's preferences file, killall,
/// the backup folder (20 history files) and the state file, with a Qt timer for the
/// debounce and a background thread for the installed-application scan.
std::unique_ptr<AppModel> makeAppModel(const AppLocations& locations, QObject* parent = nullptr);

/// The hot-key centre over "hotkey.json" and the platform's hot keys.
std::unique_ptr<HotKeyCenter> makeHotKeyCenter(const AppLocations& locations, QObject* parent = nullptr);

} // namespace kestrine
