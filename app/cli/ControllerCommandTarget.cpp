#include "app/cli/ControllerCommandTarget.h"

#include <stdexcept>

#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "core/hotkey/JSONFileHotKeyStorage.h"

namespace kestrine {

ControllerCommandTarget::ControllerCommandTarget(const AppLocations& locations) : locations_(locations) {
    std::optional<std::string> unavailable;
    DockPorts ports = makeDockPorts(locations, unavailable);
    if (unavailable) throw std::runtime_error(*unavailable);
    controller_ = std::make_unique<DockController>(std::move(ports.preferences), std::move(ports.restarter),
                                                   std::move(ports.backups), std::move(ports.storage));
    controller_->bootstrap(Localization::tr("preset.default.name").toStdString(), "\U0001F3E0");
}

void ControllerCommandTarget::activate(const std::string& presetID) {
    controller_->activate(presetID);
}

void ControllerCommandTarget::addPreset(const Preset& preset) {
    controller_->createPreset(preset.name, preset.emoji, preset.apps);
}

void ControllerCommandTarget::togglePanel() {
    throw std::logic_error("the key panel needs the running application");
}

void ControllerCommandTarget::showSettings() {
    throw std::logic_error("the settings window needs the running application");
}

CommandStatus ControllerCommandTarget::status() {
    CommandStatus status;
    status.dock = locations_.dock.name();
    status.running = false;
    status.shortcut = HotKeyCenter::displayText(JSONFileHotKeyStorage(locations_.hotKeyFile()).load()).toStdString();
    status.shortcutRegistered = false;
    status.shortcutProblem = "Kestrine is not running";
    status.supportDirectory = locations_.supportDirectory.string();
    return status;
}

}  // namespace kestrine
