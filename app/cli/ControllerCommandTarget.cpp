#include "app/cli/ControllerCommandTarget.h"

#include <stdexcept>

#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "core/hotkey/JSONFileHotKeyStorage.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"
#include "core/system/ProcessDockRestarter.h"

namespace kestrine {

ControllerCommandTarget::ControllerCommandTarget(const AppLocations& locations, std::string dockName)
    : locations_(locations), dockName_(std::move(dockName)) {
    controller_ = std::make_unique<DockController>(std::make_unique<PlistFileDockStore>(locations.dockDomainFile),
                                                   std::make_unique<ProcessDockRestarter>(),
                                                   std::make_unique<FileDockBackupStore>(locations.backupsDirectory(), 20),
                                                   std::make_unique<JSONFileStateStorage>(locations.stateFile()));
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
    status.dock = dockName_;
    status.running = false;
    status.shortcut = HotKeyCenter::displayText(JSONFileHotKeyStorage(locations_.hotKeyFile()).load()).toStdString();
    status.shortcutRegistered = false;
    status.shortcutProblem = "Kestrine is not running";
    status.supportDirectory = locations_.supportDirectory.string();
    return status;
}

}  // namespace kestrine
