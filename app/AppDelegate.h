// The application's start-up and its answers to the desktop: it owns the model and the shortcut,
// registers the shortcut to toggle the key panel, opens the settings window at launch unless the
// program was started as a login item by a user who has seen it before, shows the window again
// when the program is started a second time, and writes pending Dock work before the end.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace kestrine {

class AppModel;
class FloatingPanelController;
class HotKeyCenter;
class OnboardingStorage;
class SettingsWindowController;
struct AppLocations;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    using SettingsFactory = std::function<std::unique_ptr<SettingsWindowController>(AppModel&, HotKeyCenter&)>;

    // The model is expected to be created (and bootstrapped) before the hot-key centre.
    // `makeSettings` defaults to the real settings window controller.
    AppDelegate(std::unique_ptr<AppModel> model, std::unique_ptr<HotKeyCenter> center,
                std::shared_ptr<OnboardingStorage> onboarding, SettingsFactory makeSettings = nullptr,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    // The production objects over `locations`: the model (built and bootstrapped first), the
    // hot-key centre over "hotkey.json" and the onboarding flag in "onboarding.json".
    static std::unique_ptr<AppDelegate> make(const AppLocations& locations, QObject* parent = nullptr);

    // Binds the shortcut to the panel, registers it, and opens the settings window when the
    // launch policy says so.
    void finishLaunching(bool launchedAsLoginItem);

    // Opens (or brings forward) the settings window, creating its controller on first use.
    void showSettings();
    // Shows or hides the key panel, creating its controller on first use.
    void togglePanel();
    // Before the process ends: writes pending Dock work. True when there was some.
    bool prepareToQuit();

    AppModel& model() { return *model_; }
    HotKeyCenter& center() { return *center_; }
    FloatingPanelController* panelController() const { return panelController_.get(); }
    SettingsWindowController* settingsController() const { return settingsController_.get(); }

signals:
    void settingsShown();
    void panelToggled();

private:
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<HotKeyCenter> center_;
    std::shared_ptr<OnboardingStorage> onboarding_;
    SettingsFactory makeSettings_;
    std::unique_ptr<SettingsWindowController> settingsController_;
    std::unique_ptr<FloatingPanelController> panelController_;
};

}  // namespace kestrine
