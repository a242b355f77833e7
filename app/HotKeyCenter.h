#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/HotKey.h"
#include "core/hotkey/HotKeySpec.h"
#include "core/hotkey/HotKeyStorage.h"

namespace kestrine {

/// The single owner of the global shortcut: its value, its live registration, its file
/// and the last registration problem. Main thread only.
class HotKeyCenter : public QObject {
    Q_OBJECT
public:
    using HotKeyFactory = std::function<std::unique_ptr<HotKey>(std::uint32_t keyCode, std::uint8_t modifiers,
                                                                HotKey::Handler handler)>;
    using Logger = std::function<void(const std::string& line)>;

    /// Loads the shortcut from `storage`; registers nothing yet. `factory` defaults to the
    /// platform's hot keys, with the availability of this session, and `log` to the system log.
    explicit HotKeyCenter(std::unique_ptr<HotKeyStorage> storage, HotKeyFactory factory = nullptr,
                          Logger log = nullptr, QObject* parent = nullptr);
    ~HotKeyCenter() override;

    const HotKeySpec& spec() const { return spec_; }
    const std::optional<QString>& errorMessage() const { return errorMessage_; }
    void setErrorMessage(std::optional<QString> message);
    bool isRegistered() const { return static_cast<bool>(hotKey_); }
    bool isDefault() const { return spec_ == HotKeySpec::defaultSpec(); }

    /// Whether a global shortcut can be registered in this session. While it cannot, nothing
    /// is registered and no error is set: the shortcut is kept and saved as the user's choice
    /// (for the desktop's own keyboard settings), and the settings window says why it does not
    /// work here.
    HotKey::Availability availability() const { return availability_; }
    bool isAvailable() const { return availability_ == HotKey::Availability::available; }
    void setAvailability(HotKey::Availability availability);

    /// What a press does; runs on a later turn of the event loop, never inside the
    /// platform's callback.
    std::function<void()> onTrigger;

    /// Registers the current shortcut anew, ending the previous registration first.
    void start();
    /// Registers the current shortcut when it is not registered.
    void ensureRegistered();
    /// Suspended, presses do nothing; resuming registers the shortcut again.
    void setSuspended(bool suspended);
    /// Changes the shortcut: validates it, registers it while the old one is still live,
    /// then releases the old one and saves. A refused combination keeps the old one.
    void update(const HotKeySpec& spec);

    /// The text a shortcut is shown with in messages ("Ctrl+Alt+D" on Linux).
    static QString displayText(const HotKeySpec& spec);

signals:
    void changed();

private:
    std::unique_ptr<HotKey> makeHotKey(const HotKeySpec& spec);

    HotKeySpec spec_;
    std::optional<QString> errorMessage_;
    std::unique_ptr<HotKey> hotKey_;
    std::unique_ptr<HotKeyStorage> storage_;
    HotKeyFactory factory_;
    Logger log_;
    HotKey::Availability availability_ = HotKey::Availability::available;
};

} // namespace kestrine
