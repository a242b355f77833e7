#include "app/AppWiring.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "app/platform/linux/plank/PlankRestarter.h"
#include "core/hotkey/JSONFileHotKeyStorage.h"
#include "core/model/AppPaths.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/scan/ThreadBackgroundExecutor.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/LiveDockRestarter.h"
#include "core/system/PlistFileDockStore.h"
#include "core/system/ProcessDockRestarter.h"

namespace kestrine {

namespace {

// The dock-specific half of the wiring.
struct DockBackend {
    std::unique_ptr<DockPreferencesStore> preferences;
    std::unique_ptr<DockRestarter> restarter;
    AppScanSession::ScanFunction scan;
    std::optional<std::string> unavailableReason;
};

DockBackend makeDockBackend(const AppLocations& locations) {
    auto desktopEntries = [](std::stop_token stop) { return DesktopEntries::scan(std::move(stop)); };
    switch (locations.dock.kind) {
    case DockChoice::Kind::gnome:
        return {std::make_unique<GSettingsFavoritesStore>(), std::make_unique<LiveDockRestarter>(), desktopEntries,
                GSettingsFavoritesStore::unavailableReason()};
    case DockChoice::Kind::plank: {
        const std::string& name = locations.dock.plankDock;
        // The store and its restarter go to the same controller and are dropped together.
        auto store = std::make_unique<PlankDockStore>(name, PlankDockStore::defaultLaunchersDirectory(name));
        auto restarter = std::make_unique<PlankRestarter>(*store);
        return {std::move(store), std::move(restarter), desktopEntries, PlankDockStore::unavailableReason()};
    }
    case DockChoice::Kind::file:
        break;
    }
    return {std::make_unique<PlistFileDockStore>(locations.dockDomainFile), std::make_unique<ProcessDockRestarter>(),
            AppScanSession::installedApplications(), std::nullopt};
}

} // namespace

AppLocations AppLocations::fromEnvironment(DockChoice dock) {
    return AppLocations{AppPaths::supportDirectory(), PlistFileDockStore::defaultFile(), std::move(dock)};
}

std::unique_ptr<AppModel> makeAppModel(const AppLocations& locations, QObject* parent) {
    DockBackend backend = makeDockBackend(locations);
    DockPorts ports{std::move(backend.preferences), std::move(backend.restarter),
                    std::make_unique<FileDockBackupStore>(locations.backupsDirectory(), 20),
                    std::make_unique<JSONFileStateStorage>(locations.stateFile())};
    auto postToMain = [](std::function<void()> action) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(action), Qt::QueuedConnection);
    };
    auto session = std::make_unique<AppScanSession>(std::move(backend.scan),
                                                    std::make_shared<ThreadBackgroundExecutor>(), postToMain);
    return std::make_unique<AppModel>(std::move(ports), DockSetup{locations.dock, backend.unavailableReason},
                                      std::make_unique<QtFlushScheduler>(), std::move(session), parent);
}

DockPorts makeDockPorts(const AppLocations& locations, std::optional<std::string>& unavailableReason) {
    DockBackend backend = makeDockBackend(locations);
    unavailableReason = backend.unavailableReason;
    return DockPorts{std::move(backend.preferences), std::move(backend.restarter),
                     std::make_unique<FileDockBackupStore>(locations.backupsDirectory(), 20),
                     std::make_unique<JSONFileStateStorage>(locations.stateFile())};
}

std::unique_ptr<HotKeyCenter> makeHotKeyCenter(const AppLocations& locations, QObject* parent) {
    return std::make_unique<HotKeyCenter>(std::make_unique<JSONFileHotKeyStorage>(locations.hotKeyFile()), nullptr,
                                          nullptr, parent);
}

} // namespace kestrine
