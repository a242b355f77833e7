// Opens, refreshes and closes the settings window. The window, its login item and its shortcut
// recorder are built each time the window opens and torn down when it closes; closing writes
// pending Dock work at once and lets go of the icons and the application scan.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace kestrine {

class AppModel;
class HotKeyCenter;
class LaunchAtLogin;
class SettingsView;
class ShortcutRecorder;

class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr int contentWidth = 760;
    static constexpr int contentHeight = 820;
    static constexpr int minimumWidth = 680;
    static constexpr int minimumHeight = 660;
    static constexpr int maximumWidth = 960;
    static constexpr int maximumHeight = 10000;

    // Makes the login item of a new window; by default the running program's.
    using LoginItemFactory = std::function<std::unique_ptr<LaunchAtLogin>()>;

    SettingsWindowController(AppModel& model, HotKeyCenter& center, QObject* parent = nullptr);
    SettingsWindowController(AppModel& model, HotKeyCenter& center, LoginItemFactory makeLoginItem,
                             QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Builds the window when there is none, refreshes what it shows, and brings it to the front.
    void show();
    // The window while it exists (nullptr once closed).
    QWidget* window() const { return window_; }
    bool isShown() const;

    SettingsView* view() const { return view_; }
    LaunchAtLogin* loginItem() const { return loginItem_; }
    ShortcutRecorder* recorder() const { return recorder_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void windowClosed();

    AppModel& model_;
    HotKeyCenter& center_;
    LoginItemFactory makeLoginItem_;
    QPointer<QWidget> window_;
    QPointer<SettingsView> view_;
    QPointer<LaunchAtLogin> loginItem_;
    QPointer<ShortcutRecorder> recorder_;
};

}  // namespace kestrine
