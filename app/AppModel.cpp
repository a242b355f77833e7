#include "app/AppModel.h"

#include <QPointer>

#include <map>

#include "app/Localization.h"
#include "core/dock/PresetError.h"
#include "core/model/PresetApps.h"
#include "core/model/StateStorage.h"
#include "core/support/Unicode.h"
#include "core/system/DockBackupStore.h"
#include "core/system/DockPreferencesError.h"
#include "core/system/DockPreferencesStore.h"
#include "core/system/DockRestarter.h"

namespace kestrine {

AppModel::AppModel(DockPorts ports, std::unique_ptr<FlushScheduler> scheduler,
                   std::unique_ptr<AppScanSession> scanSession, QObject* parent)
    : AppModel(std::move(ports), DockSetup{}, std::move(scheduler), std::move(scanSession), parent) {}

AppModel::AppModel(DockPorts ports, DockSetup dock, std::unique_ptr<FlushScheduler> scheduler,
                   std::unique_ptr<AppScanSession> scanSession, QObject* parent)
    : QObject(parent), scheduler_(std::move(scheduler)), scanSession_(std::move(scanSession)),
      dock_(std::move(dock.choice)) {
    if (ports.preferences) supportsRecents_ = ports.preferences->supportsRecents();
    if (dock.unavailableReason) {
        // Without the dock's settings a first start would make an empty default preset and
        // save it; the model stays inert instead, and the ports are dropped unused.
        errorMessage_ = Localization::format("error.dockUnavailable", QString::fromStdString(*dock.unavailableReason));
    } else {
        try {
            auto controller = std::make_shared<DockController>(std::move(ports.preferences), std::move(ports.restarter),
                                                               std::move(ports.backups), std::move(ports.storage));
            controller->bootstrap(Localization::tr("preset.default.name").toStdString(), "\U0001F3E0");
            controller_ = std::move(controller);
            batcher_ = std::make_unique<DockChangeBatcher>(controller_);
        } catch (const std::exception& error) {
            errorMessage_ = Localization::format("error.start", message(error));
        }
    }
    QPointer<AppModel> self(this);
    scanSession_->onChange = [self] {
        if (!self) return;
        self->installedApps_ = self->scanSession_->apps();
        self->scanningApps_ = self->scanSession_->isScanning();
        emit self->changed();
    };
}

AppModel::~AppModel() {
    scheduler_->cancel();
    scanSession_->onChange = nullptr;
}

QString AppModel::message(const std::exception& error) {
    if (const auto* preset = dynamic_cast<const PresetError*>(&error)) {
        switch (preset->code()) {
        case PresetError::Code::cannotDeleteDefault: return Localization::tr("error.cannotDeleteDefault");
        case PresetError::Code::emptyName: return Localization::tr("error.emptyName");
        case PresetError::Code::nameTaken: return Localization::tr("editor.nameTaken");
        case PresetError::Code::notFound: return Localization::tr("error.presetNotFound");
        }
    }
    if (const auto* dock = dynamic_cast<const DockPreferencesError*>(&error)) {
        const QString detail = QString::fromStdString(dock->detail());
        switch (dock->code()) {
        case DockPreferencesError::Code::unavailable: return Localization::format("error.dockUnavailable", detail);
        case DockPreferencesError::Code::writeRefused: return Localization::format("error.dockRefused", detail);
        case DockPreferencesError::Code::synchronizeFailed: break;
        }
        return Localization::tr("error.dockWrite");
    }
    return Localization::format("error.generic", QString::fromStdString(error.what()));
}

template <typename Action>
bool AppModel::perform(Action&& action) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        setErrorMessage(message(error));
        return false;
    }
}

void AppModel::setErrorMessage(std::optional<QString> message) {
    errorMessage_ = std::move(message);
    emit changed();
}

std::optional<Preset> AppModel::activePreset() const {
    for (const auto& preset : presets_)
        if (preset.id == activeID_) return preset;
    return std::nullopt;
}

std::vector<PresetApp> AppModel::pickerApps() const {
    std::map<std::string, PresetApp> byID;
    for (const auto& app : installedApps_) byID.insert_or_assign(app.id, app);
    for (const auto& app : dockApps_) byID.try_emplace(app.id, app);
    if (auto active = activePreset())
        for (const auto& app : active->apps) byID.try_emplace(app.id, app);
    std::vector<PresetApp> apps;
    apps.reserve(byID.size());
    for (auto& [id, app] : byID) apps.push_back(std::move(app));
    NameCollator collator;
    std::stable_sort(apps.begin(), apps.end(), [&](const PresetApp& a, const PresetApp& b) {
        int order = collator.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.id < b.id;
    });
    return apps;
}

void AppModel::setSettingsVisible(bool visible) {
    settingsVisible_ = visible;
    if (!visible) flushPending();
}

void AppModel::republishPresets() {
    if (controller_) presets_ = controller_->presets();
}

void AppModel::republishActiveID() {
    if (controller_) activeID_ = controller_->activePresetID();
}

void AppModel::reload() {
    flushPending();
    if (!controller_) return;
    republishPresets();
    republishActiveID();
    perform([&] {
        dockApps_ = controller_->dockApps();
        recentsHidden_ = !controller_->recentsVisible();
    });
    emit changed();
}

void AppModel::refreshPresets() {
    flushPending();
    if (!controller_) return;
    republishPresets();
    republishActiveID();
    emit changed();
}

void AppModel::activate(const Preset& preset) {
    if (!batcher_ || preset.id == activeID_) return;
    perform([&] { batcher_->activate(preset.id); });
    republishActiveID();
    scheduleFlush();
    emit changed();
}

void AppModel::activate(int index) {
    if (index < 0 || index >= static_cast<int>(presets_.size())) return;
    activate(presets_[static_cast<std::size_t>(index)]);
}

bool AppModel::isNameTaken(const std::string& name, const std::optional<std::string>& excluding) const {
    return controller_ && controller_->isNameTaken(name, excluding);
}

std::vector<PresetApp> AppModel::selectionCandidates() const {
    return PresetApps::adding(dockApps_, pickerApps());
}

bool AppModel::createPreset(const std::string& name, const std::optional<std::string>& emoji,
                            const std::set<std::string>& selection) {
    if (!controller_ || !batcher_) return false;
    auto apps = PresetApps::applyingSelection({}, selection, selectionCandidates());
    std::optional<Preset> created;
    if (!perform([&] { created = controller_->createPreset(name, emoji, apps); })) return false;
    republishPresets();
    emit changed();
    bool ok = perform([&] { batcher_->activate(created->id); });
    republishActiveID();
    if (ok) scheduleFlush();
    emit changed();
    return ok;
}

bool AppModel::addPreset(const std::string& name, const std::optional<std::string>& emoji,
                         const std::vector<PresetApp>& apps) {
    if (!controller_) return false;
    if (!perform([&] { controller_->createPreset(name, emoji, apps); })) return false;
    republishPresets();
    emit changed();
    return true;
}

bool AppModel::updatePreset(const Preset& preset, const std::string& name, const std::optional<std::string>& emoji) {
    if (!controller_) return false;
    if (!perform([&] { controller_->updatePreset(preset.id, name, emoji); })) return false;
    republishPresets();
    emit changed();
    return true;
}

void AppModel::deletePreset(const Preset& preset) {
    if (!controller_ || !batcher_) return;
    bool wasActive = preset.id == activeID_;
    if (!perform([&] { controller_->deletePreset(preset.id); })) return;
    republishPresets();
    republishActiveID();
    if (wasActive) {
        batcher_->markPending();
        scheduleFlush();
    }
    emit changed();
}

template <typename Transform>
void AppModel::editActiveApps(Transform&& transform) {
    if (!controller_ || !batcher_) return;
    auto active = activePreset();
    if (!active) return;
    auto apps = transform(active->apps);
    if (apps == active->apps) return;
    perform([&] { batcher_->edit(active->id, apps); });
    republishPresets();
    scheduleFlush();
    emit changed();
}

void AppModel::applySelection(const std::set<std::string>& selection) {
    auto candidates = selectionCandidates();
    editActiveApps([&](const std::vector<PresetApp>& apps) {
        return PresetApps::applyingSelection(apps, selection, candidates);
    });
}

void AppModel::removeApp(const std::string& id) {
    editActiveApps([&](const std::vector<PresetApp>& apps) { return PresetApps::removing(apps, id); });
}

void AppModel::moveApp(const std::string& id, int offset) {
    editActiveApps([&](const std::vector<PresetApp>& apps) {
        auto it = std::find_if(apps.begin(), apps.end(), [&](const PresetApp& a) { return a.id == id; });
        if (it == apps.end()) return apps;
        return PresetApps::moving(apps, id, static_cast<std::int64_t>(it - apps.begin()) + offset);
    });
}

void AppModel::moveApp(const std::string& id, const std::optional<std::string>& before) {
    editActiveApps([&](const std::vector<PresetApp>& apps) { return PresetApps::moving(apps, id, before); });
}

void AppModel::setRecentsHidden(bool hidden) {
    flushPending();
    if (!controller_) return;
    perform([&] { controller_->setRecentsVisible(!hidden); });
    reload();
}

void AppModel::restoreOriginal() {
    scheduler_->cancel();
    if (!controller_ || !batcher_) return;
    batcher_->resync();
    perform([&] {
        if (!controller_->restoreOriginal()) setErrorMessage(Localization::tr("error.noBackup"));
    });
    reload();
}

void AppModel::releaseResources() {
    scanSession_->release();
    icons_.clear();
    dockApps_.clear();
    emit changed();
}

void AppModel::scheduleFlush() {
    QPointer<AppModel> self(this);
    scheduler_->schedule(debounce, [self] {
        if (self) self->flushPending();
    });
}

void AppModel::flushPending() {
    scheduler_->cancel();
    if (!controller_ || !batcher_ || !batcher_->hasPending()) return;
    perform([&] { batcher_->flush(); });
    if (settingsVisible_) perform([&] { dockApps_ = controller_->dockApps(); });
    emit changed();
}

} // namespace kestrine
