// Commands carried out directly over the application's files, for when no instance runs: the
// dock controller over the chosen dock and the state file, with the shortcut read from its file.
// The caller holds the single-instance lock, so nothing else writes these files meanwhile.
#pragma once

#include <memory>

#include "app/AppWiring.h"
#include "app/cli/CommandTarget.h"
#include "core/dock/DockController.h"

namespace kestrine {

class ControllerCommandTarget final : public CommandTarget {
public:
    /// Loads and reconciles the state as a start of the application does; throws what that throws.
    explicit ControllerCommandTarget(const AppLocations& locations);

    std::vector<Preset> presets() override { return controller_->presets(); }
    std::string activePresetID() override { return controller_->activePresetID(); }
    bool isNameTaken(const std::string& name) override { return controller_->isNameTaken(name); }
    void activate(const std::string& presetID) override;
    bool restoreOriginal() override { return controller_->restoreOriginal(); }
    void addPreset(const Preset& preset) override;
    void togglePanel() override;
    void showSettings() override;
    CommandStatus status() override;

private:
    AppLocations locations_;
    std::unique_ptr<DockController> controller_;
};

}  // namespace kestrine
