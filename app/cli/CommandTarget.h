// What a command works on: the application's presets and dock, either through the running
// instance's model (so its windows follow at once) or directly over the files when no instance
// runs. Failures are thrown as std::exception with a message for the user.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/Preset.h"

namespace kestrine {

struct CommandStatus {
    std::string dock;                       // the dock managed ("file", "gnome", ...)
    bool running = false;                   // answered by a running instance
    bool shortcutRegistered = false;
    std::string shortcut;                   // "Ctrl+Alt+D"
    std::optional<std::string> shortcutProblem;
    std::string supportDirectory;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    virtual std::vector<Preset> presets() = 0;
    virtual std::string activePresetID() = 0;
    virtual bool isNameTaken(const std::string& name) = 0;
    /// Switches the dock to the preset and writes it before returning.
    virtual void activate(const std::string& presetID) = 0;
    /// False when there is no original dock to put back.
    virtual bool restoreOriginal() = 0;
    /// Adds a preset with this name, emoji and applications; does not activate it.
    virtual void addPreset(const Preset& preset) = 0;
    virtual void togglePanel() = 0;
    virtual void showSettings() = 0;
    virtual CommandStatus status() = 0;
};

}  // namespace kestrine
