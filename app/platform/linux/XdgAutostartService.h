#pragma once

#include <filesystem>
#include <string>

#include "app/LoginItemService.h"

namespace kestrine {

/// Login item as an XDG autostart entry, `<config>/autostart/kestrine.desktop`, which
/// starts the program with the single argument `--login-item`. The item is enabled
/// while the file exists and does not say `Hidden=true`.
class XdgAutostartService final : public LoginItemService {
public:
    XdgAutostartService(std::filesystem::path configHome, std::filesystem::path executable);

    /// `$XDG_CONFIG_HOME`, or `~/.config` when it is unset or not absolute.
    static std::filesystem::path defaultConfigHome();

    std::filesystem::path entryPath() const { return configHome_ / "autostart" / "kestrine.desktop"; }

    Status status() const override;
    void registerItem() override;
    void unregisterItem() override;

    /// The desktop entry written for `executable`.
    static std::string entryText(const std::filesystem::path& executable);

private:
    std::filesystem::path configHome_;
    std::filesystem::path executable_;
};

/// The program counts as an installed application when it runs as `<prefix>/bin/kestrine`
/// and `<prefix>/share/applications/kestrine.desktop` exists.
bool isInstalledApplication(const std::filesystem::path& executable);

} // namespace kestrine
