#include "app/LaunchAtLogin.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "app/Localization.h"
#include "app/platform/linux/XdgAutostartService.h"

namespace kestrine {

LaunchAtLogin::LaunchAtLogin(std::unique_ptr<LoginItemService> service, bool isAppBundle, QObject* parent)
    : QObject(parent), service_(std::move(service)), isAppBundle_(isAppBundle) {
    refresh();
}

std::unique_ptr<LaunchAtLogin> LaunchAtLogin::makeDefault(QObject* parent) {
    std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
    auto service = std::make_unique<XdgAutostartService>(XdgAutostartService::defaultConfigHome(), executable);
    return std::make_unique<LaunchAtLogin>(std::move(service), isInstalledApplication(executable), parent);
}

void LaunchAtLogin::refresh() {
    status_ = service_->status();
    emit changed();
}

void LaunchAtLogin::setEnabled(bool enabled) {
    errorMessage_.reset();
    if (!isAppBundle_) {
        errorMessage_ = Localization::tr("login.error.notBundle");
        emit changed();
        return;
    }
    try {
        if (enabled) service_->registerItem();
        else service_->unregisterItem();
    } catch (const std::exception& error) {
        errorMessage_ = Localization::format("login.error.failed", QString::fromStdString(error.what()));
    }
    refresh();
}

void LaunchAtLogin::openLoginItemsSettings() const {
    std::filesystem::path folder;
    try {
        folder = XdgAutostartService::defaultConfigHome() / "autostart";
    } catch (const std::exception&) {
        return; // no home folder: there is no autostart folder to show
    }
    QDir().mkpath(QString::fromStdString(folder.string()));
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.string())));
}

} // namespace kestrine
