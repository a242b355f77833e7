#include "core/dock/DockChangeBatcher.h"

#include <stdexcept>

namespace kestrine {

DockChangeBatcher::DockChangeBatcher(std::shared_ptr<DockController> controller) : controller_(std::move(controller)) {
    if (!controller_) throw std::invalid_argument("DockChangeBatcher needs a controller");
}

void DockChangeBatcher::edit(const std::string& presetID, const std::vector<PresetApp>& apps) {
    controller_->updateApps(presetID, apps);
    // Even an edit that changed nothing may follow one that was never applied.
    if (presetID == controller_->activePresetID()) hasPending_ = true;
}

void DockChangeBatcher::activate(const std::string& presetID) {
    const std::string before = controller_->activePresetID();
    controller_->setActivePreset(presetID);
    if (controller_->activePresetID() != before) hasPending_ = true;
}

std::optional<ApplyResult> DockChangeBatcher::flush() {
    if (!hasPending_) {
        // A Dock written by a call that then failed still owes its restart.
        if (controller_->restartOwed()) return controller_->restartIfOwed();
        return std::nullopt;
    }
    ApplyResult result = controller_->applyActivePreset();
    hasPending_ = false;
    return result;
}

} // namespace kestrine
