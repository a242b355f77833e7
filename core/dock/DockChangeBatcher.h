#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dock/ApplyResult.h"
#include "core/dock/DockController.h"

namespace kestrine {

/// Records preset edits and switches in the state at once, and rewrites the Dock only
/// when flushed. `hasPending` tells whether the Dock is behind the state. A failing call
/// never clears the flag, so no change is lost.
class DockChangeBatcher {
public:
    /// Throws std::invalid_argument for a null controller.
    explicit DockChangeBatcher(std::shared_ptr<DockController> controller);

    const std::shared_ptr<DockController>& controller() const { return controller_; }
    bool hasPending() const { return hasPending_; }

    /// Stores the preset's applications; pending when the preset is the active one.
    void edit(const std::string& presetID, const std::vector<PresetApp>& apps);
    /// Stores the active id; pending when the active preset changed.
    void activate(const std::string& presetID);
    void markPending() { hasPending_ = true; }
    /// Applies the active preset when something is pending; otherwise only a restart that
    /// the Dock still owes (DockController::restartIfOwed), or nothing.
    std::optional<ApplyResult> flush();
    /// Forgets pending work without touching the Dock.
    void resync() { hasPending_ = false; }

private:
    std::shared_ptr<DockController> controller_;
    bool hasPending_ = false;
};

} // namespace kestrine
