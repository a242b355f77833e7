#pragma once

#include <filesystem>
#include <string>

#include "app/LoginItemService.h"
#include "core/model/AppPaths.h"

namespace kestrine {

/// Login item as an XDG autostart entry, `<config>/autostart/kestrine.desktop`, which
/// starts the program with the single argument `--login-item`. The item is enabled
/// while the file exists and its [Desktop Entry] group neither sets `Hidden` to true nor
/// `X-GNOME-Autostart-enabled` to false.
class XdgAutostartService final : public LoginItemService {
public:
    XdgAutostartService(std::filesystem::path configHome, std::filesystem::path executable);

    /// `$XDG_CONFIG_HOME`, or `<home>/.config` when it is unset or not absolute, with the home
    /// folder found as for the support folder (HOME, else the user database). Throws
    /// std::runtime_error when there is no home folder.
    static std::filesystem::path defaultConfigHome(const AppPaths::EnvironmentLookup& environment);
    static std::filesystem::path defaultConfigHome();

    std::filesystem::path entryPath() const { return configHome_ / "autostart" / "kestrine.desktop"; }

    Status status() const override;
    void registerItem() override;
    void unregisterItem() override;

    /// The desktop entry written for `executable`.
    static std::string entryText(const std::filesystem::path& executable);
    /// Whether the text of an entry leaves the login item on (see above).
    static bool entryEnablesItem(const std::string& text);

private:
    std::filesystem::path configHome_;
    std::filesystem::path executable_;
};

/// The program counts as an installed application when it runs as `<prefix>/bin/kestrine`
/// and `<prefix>/share/applications/kestrine.desktop` exists.
bool isInstalledApplication(const std::filesystem::path& executable);

} // namespace kestrine
