#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/FlushScheduler.h"
#include "app/IconStore.h"
#include "core/dock/DockChangeBatcher.h"
#include "core/dock/DockController.h"
#include "core/model/Preset.h"
#include "core/scan/AppScanSession.h"
#include "core/system/DockChoice.h"

namespace kestrine {

class DockPreferencesStore;
class DockRestarter;
class DockBackupStore;
class StateStorage;

/// The four ports the Dock controller works through.
struct DockPorts {
    std::unique_ptr<DockPreferencesStore> preferences;
    std::unique_ptr<DockRestarter> restarter;
    std::unique_ptr<DockBackupStore> backups;
    std::unique_ptr<StateStorage> storage;
};

/// The dock a model manages, and why it cannot manage it when its settings are out of reach.
struct DockSetup {
    DockChoice choice;
    /// What is missing (a schema, a program), for the user. When set the model stays inert
    /// with this in its error message, and nothing is read or written.
    std::optional<std::string> unavailableReason;
};

/// The one observable object between the windows and the Dock engine. It republishes
/// the controller's state, turns user commands into controller and batcher calls, writes
/// the Dock 600 ms after the last change (or at once when a window closes or the program
/// quits), and turns every failure into one localised message. Main thread only.
///
/// When the controller cannot be created or bootstrapped the model stays inert: every
/// operation does nothing and `errorMessage()` tells why.
class AppModel : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds debounce{600};

    AppModel(DockPorts ports, std::unique_ptr<FlushScheduler> scheduler, std::unique_ptr<AppScanSession> scanSession,
             QObject* parent = nullptr);
    AppModel(DockPorts ports, DockSetup dock, std::unique_ptr<FlushScheduler> scheduler,
             std::unique_ptr<AppScanSession> scanSession, QObject* parent = nullptr);
    ~AppModel() override;

    // Published state; `changed()` is emitted after any of it changes.
    const std::vector<Preset>& presets() const { return presets_; }
    const std::string& activeID() const { return activeID_; }
    const std::vector<PresetApp>& dockApps() const { return dockApps_; }
    bool recentsHidden() const { return recentsHidden_; }
    const std::vector<PresetApp>& installedApps() const { return installedApps_; }
    bool scanningApps() const { return scanningApps_; }
    const std::optional<QString>& errorMessage() const { return errorMessage_; }
    void setErrorMessage(std::optional<QString> message);

    bool isInert() const { return !controller_; }
    /// The dock this model switches.
    const DockChoice& dock() const { return dock_; }
    /// The dock has a recent-applications section that can be hidden.
    bool supportsRecents() const { return supportsRecents_; }
    std::optional<Preset> activePreset() const;
    /// Installed applications, then Dock applications, then the active preset's, one per
    /// id, sorted by name as a file browser does.
    std::vector<PresetApp> pickerApps() const;

    IconStore& icons() { return icons_; }
    AppScanSession& scanSession() { return *scanSession_; }
    bool settingsVisible() const { return settingsVisible_; }
    /// Setting it to false writes pending Dock work at once.
    void setSettingsVisible(bool visible);

    // Operations.
    void reload();
    void refreshPresets();
    void activate(const Preset& preset);
    void activate(int index);
    bool isNameTaken(const std::string& name, const std::optional<std::string>& excluding) const;
    bool createPreset(const std::string& name, const std::optional<std::string>& emoji,
                      const std::set<std::string>& selection);
    /// Adds a preset with exactly these applications (installed or not) without activating it.
    bool addPreset(const std::string& name, const std::optional<std::string>& emoji, const std::vector<PresetApp>& apps);
    bool updatePreset(const Preset& preset, const std::string& name, const std::optional<std::string>& emoji);
    void deletePreset(const Preset& preset);
    void applySelection(const std::set<std::string>& selection);
    void removeApp(const std::string& id);
    void moveApp(const std::string& id, int offset);
    void moveApp(const std::string& id, const std::optional<std::string>& before);
    void setRecentsHidden(bool hidden);
    void restoreOriginal();
    void releaseResources();
    /// Writes pending Dock work now.
    void flushPending();

    /// The localised text for a failure.
    static QString message(const std::exception& error);

signals:
    void changed();

private:
    template <typename Action>
    bool perform(Action&& action);
    void scheduleFlush();
    void republishPresets();
    void republishActiveID();
    template <typename Transform>
    void editActiveApps(Transform&& transform);
    std::vector<PresetApp> selectionCandidates() const;

    std::vector<Preset> presets_;
    std::string activeID_ = Preset::defaultID;
    std::vector<PresetApp> dockApps_;
    bool recentsHidden_ = false;
    std::vector<PresetApp> installedApps_;
    bool scanningApps_ = false;
    std::optional<QString> errorMessage_;

    std::shared_ptr<DockController> controller_;
    std::unique_ptr<DockChangeBatcher> batcher_;
    std::unique_ptr<FlushScheduler> scheduler_;
    IconStore icons_;
    std::unique_ptr<AppScanSession> scanSession_;
    bool settingsVisible_ = false;
    DockChoice dock_;
    bool supportsRecents_ = true;
};

} // namespace kestrine
