// Commands carried out by the running instance through its model, so that its settings window
// and key panel show the change at once. Dock writes that the model would delay are made before
// the reply, so the command ends with the dock switched.
#pragma once

#include "app/cli/CommandTarget.h"

namespace kestrine {

class AppDelegate;

class ModelCommandTarget final : public CommandTarget {
public:
    ModelCommandTarget(AppDelegate& delegate, std::string dockName, std::string supportDirectory);

    std::vector<Preset> presets() override;
    std::string activePresetID() override;
    bool isNameTaken(const std::string& name) override;
    void activate(const std::string& presetID) override;
    bool restoreOriginal() override;
    void addPreset(const Preset& preset) override;
    void togglePanel() override;
    void showSettings() override;
    CommandStatus status() override;

private:
    // Runs `action` on the model; throws the message the model reported for a failure.
    template <typename Action>
    void checked(Action&& action);

    AppDelegate& delegate_;
    std::string dockName_;
    std::string supportDirectory_;
};

}  // namespace kestrine
