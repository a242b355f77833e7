#include "app/cli/ModelCommandTarget.h"

#include <stdexcept>

#include "app/AppDelegate.h"
#include "app/AppModel.h"
#include "app/HotKeyCenter.h"
#include "app/Localization.h"

namespace kestrine {

ModelCommandTarget::ModelCommandTarget(AppDelegate& delegate, std::string dockName, std::string supportDirectory)
    : delegate_(delegate), dockName_(std::move(dockName)), supportDirectory_(std::move(supportDirectory)) {}

template <typename Action>
void ModelCommandTarget::checked(Action&& action) {
    AppModel& model = delegate_.model();
    if (model.isInert())
        throw std::runtime_error(model.errorMessage().value_or(QStringLiteral("the application could not start")).toStdString());
    // The model keeps its last message until it is dismissed; only a new one is this action's.
    const std::optional<QString> before = model.errorMessage();
    model.setErrorMessage(std::nullopt);
    action(model);
    if (model.errorMessage()) throw std::runtime_error(model.errorMessage()->toStdString());
    if (before) model.setErrorMessage(before);
}

std::vector<Preset> ModelCommandTarget::presets() {
    if (delegate_.model().isInert())
        throw std::runtime_error(
            delegate_.model().errorMessage().value_or(QStringLiteral("the presets could not be read")).toStdString());
    delegate_.model().refreshPresets();
    return delegate_.model().presets();
}

std::string ModelCommandTarget::activePresetID() {
    return delegate_.model().activeID();
}

bool ModelCommandTarget::isNameTaken(const std::string& name) {
    return delegate_.model().isNameTaken(name, std::nullopt);
}

void ModelCommandTarget::activate(const std::string& presetID) {
    checked([&](AppModel& model) {
        for (const Preset& preset : model.presets())
            if (preset.id == presetID) model.activate(preset);
        model.flushPending();
    });
}

bool ModelCommandTarget::restoreOriginal() {
    bool restored = true;
    const QString noBackup = Localization::tr("error.noBackup");
    try {
        checked([](AppModel& model) { model.restoreOriginal(); });
    } catch (const std::runtime_error& error) {
        if (QString::fromStdString(error.what()) != noBackup) throw;
        delegate_.model().setErrorMessage(std::nullopt);
        restored = false;
    }
    return restored;
}

void ModelCommandTarget::addPreset(const Preset& preset) {
    checked([&](AppModel& model) { model.addPreset(preset.name, preset.emoji, preset.apps); });
}

void ModelCommandTarget::togglePanel() {
    delegate_.togglePanel();
}

void ModelCommandTarget::showSettings() {
    delegate_.showSettings();
}

CommandStatus ModelCommandTarget::status() {
    CommandStatus status;
    HotKeyCenter& center = delegate_.center();
    status.dock = dockName_;
    status.running = true;
    status.shortcut = HotKeyCenter::displayText(center.spec()).toStdString();
    status.shortcutRegistered = center.isRegistered();
    if (!status.shortcutRegistered && center.errorMessage()) status.shortcutProblem = center.errorMessage()->toStdString();
    status.supportDirectory = supportDirectory_;
    return status;
}

}  // namespace kestrine
