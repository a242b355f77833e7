#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

#include "app/LoginItemService.h"

namespace kestrine {

/// The launch-at-login switch: mirrors the login-item service and changes it.
class LaunchAtLogin : public QObject {
    Q_OBJECT
public:
    using Status = LoginItemService::Status;

    /// `isAppBundle`: the program runs from an installed location, so the service can
    /// start it at login.
    LaunchAtLogin(std::unique_ptr<LoginItemService> service, bool isAppBundle, QObject* parent = nullptr);

    /// The login item of the running program.
    static std::unique_ptr<LaunchAtLogin> makeDefault(QObject* parent = nullptr);

    Status status() const { return status_; }
    const std::optional<QString>& errorMessage() const { return errorMessage_; }
    bool isAppBundle() const { return isAppBundle_; }
    /// On while the item is enabled or awaits the user's approval.
    bool isEnabled() const { return status_ == Status::enabled || status_ == Status::requiresApproval; }

    void refresh();
    void setEnabled(bool enabled);

    /// Opens where the system lists login items.
    void openLoginItemsSettings() const;

signals:
    void changed();

private:
    std::unique_ptr<LoginItemService> service_;
    bool isAppBundle_;
    Status status_ = Status::notRegistered;
    std::optional<QString> errorMessage_;
};

} // namespace kestrine
