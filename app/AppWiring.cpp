#include "app/AppWiring.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "core/hotkey/JSONFileHotKeyStorage.h"
#include "core/model/AppPaths.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/scan/ThreadBackgroundExecutor.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"
#include "core/system/ProcessDockRestarter.h"

namespace kestrine {

AppLocations AppLocations::fromEnvironment() {
    return AppLocations{AppPaths::supportDirectory(), PlistFileDockStore::defaultFile()};
}

std::unique_ptr<AppModel> makeAppModel(const AppLocations& locations, QObject* parent) {
    DockPorts ports{std::make_unique<PlistFileDockStore>(locations.dockDomainFile),
                    std::make_unique<ProcessDockRestarter>(),
                    std::make_unique<FileDockBackupStore>(locations.backupsDirectory(), 20),
                    std::make_unique<JSONFileStateStorage>(locations.stateFile())};
    auto postToMain = [](std::function<void()> action) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(action), Qt::QueuedConnection);
    };
    auto session = std::make_unique<AppScanSession>(AppScanSession::installedApplications(),
                                                    std::make_shared<ThreadBackgroundExecutor>(), postToMain);
    return std::make_unique<AppModel>(std::move(ports), std::make_unique<QtFlushScheduler>(), std::move(session),
                                      parent);
}

std::unique_ptr<HotKeyCenter> makeHotKeyCenter(const AppLocations& locations, QObject* parent) {
    return std::make_unique<HotKeyCenter>(std::make_unique<JSONFileHotKeyStorage>(locations.hotKeyFile()), nullptr,
                                          nullptr, parent);
}

} // namespace kestrine
