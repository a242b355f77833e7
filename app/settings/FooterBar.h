// The bottom of the settings window: a hairline, the launch-at-login switch, the gear that opens
// the more popover, and a status line about the login item. It also owns the confirmation
// before the original Dock is restored.
#pragma once

#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>

class QMessageBox;
class QPushButton;

class QSpacerItem;

namespace kestrine {

class AppModel;
class HotKeyCenter;
class IconButton;
class KeyButton;
class LaunchAtLogin;
class MorePopover;
class PaletteLabel;
class ToggleSwitch;

class FooterBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalPadding = 24;
    static constexpr int verticalPadding = 10;
    static constexpr int columnSpacing = 6;
    static constexpr int rowSpacing = 10;
    static constexpr int approvalSpacing = 8;
    // The restore alert opens this long after the popover asked for it, once the popover is gone.
    static constexpr std::chrono::milliseconds restoreAlertDelay{250};

    // Runs an action after a delay on the main thread; tests replace it to run it by hand.
    using Deferrer = std::function<void(std::chrono::milliseconds, std::function<void()>)>;

    FooterBar(AppModel& model, LaunchAtLogin& loginItem, HotKeyCenter& center, QWidget* parent = nullptr);

    Deferrer defer;

    ToggleSwitch* loginSwitch() const { return login_; }
    IconButton* moreButton() const { return more_; }
    // The status line: the approval row, or a text (the login item's error, or why the switch
    // cannot work here); both hidden when there is nothing to say.
    QWidget* approvalRow() const { return approvalRow_; }
    KeyButton* openLoginItemsButton() const { return openLoginItems_; }
    PaletteLabel* statusText() const { return status_; }

    bool isMoreShown() const { return morePopover() != nullptr; }
    void setMoreShown(bool shown);
    MorePopover* morePopover() const;

    // The popover's restore button: closes the popover and opens the alert a moment later.
    void requestRestore();
    bool isRestoreAlertShown() const { return restoreAlert() != nullptr; }
    QMessageBox* restoreAlert() const;
    QPushButton* restoreConfirmButton() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void showRestoreAlert();

    AppModel& model_;
    LaunchAtLogin& loginItem_;
    HotKeyCenter& center_;
    ToggleSwitch* login_ = nullptr;
    IconButton* more_ = nullptr;
    QWidget* approvalRow_ = nullptr;
    KeyButton* openLoginItems_ = nullptr;
    PaletteLabel* status_ = nullptr;
    // Gaps that depend on what is shown under the row (see refresh()).
    QSpacerItem* belowRow_ = nullptr;
    QSpacerItem* end_ = nullptr;
    QPointer<MorePopover> popover_;
    QPointer<QMessageBox> alert_;
    QPointer<QPushButton> confirm_;
};

}  // namespace kestrine
