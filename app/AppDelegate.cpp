#include "app/AppDelegate.h"

#include "app/AppModel.h"
#include "app/AppWiring.h"
#include "app/HotKeyCenter.h"
#include "app/LaunchAtLogin.h"
#include "app/SettingsWindowController.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/SettingsView.h"
#include "app/panel/FloatingPanelController.h"
#include "app/platform/linux/X11Desktop.h"
#include "core/launch/JSONFileOnboardingStorage.h"
#include "core/launch/LaunchPolicy.h"

#include <QPointer>
#include <QWidget>

namespace kestrine {

AppDelegate::AppDelegate(std::unique_ptr<AppModel> model, std::unique_ptr<HotKeyCenter> center,
                         std::shared_ptr<OnboardingStorage> onboarding, SettingsFactory makeSettings,
                         QObject* parent)
    : QObject(parent),
      model_(std::move(model)),
      center_(std::move(center)),
      onboarding_(std::move(onboarding)),
      makeSettings_(std::move(makeSettings)) {
    if (!makeSettings_) {
        makeSettings_ = [](AppModel& model, HotKeyCenter& center) {
            return std::make_unique<SettingsWindowController>(model, center);
        };
    }
}

AppDelegate::~AppDelegate() {
    // The windows refer to the model and the centre: they go first.
    panelController_.reset();
    settingsController_.reset();
    if (center_) center_->onTrigger = nullptr;
}

std::unique_ptr<AppDelegate> AppDelegate::make(const AppLocations& locations, QObject* parent) {
    auto model = makeAppModel(locations);
    auto center = makeHotKeyCenter(locations);
    auto onboarding = std::make_shared<JSONFileOnboardingStorage>(locations.onboardingFile());
    return std::make_unique<AppDelegate>(std::move(model), std::move(center), std::move(onboarding), nullptr, parent);
}

void AppDelegate::finishLaunching(bool launchedAsLoginItem) {
    QPointer<AppDelegate> self(this);
    center_->onTrigger = [self] {
        if (self) self->togglePanel();
    };
    center_->start();
    LaunchPolicy policy(onboarding_);
    if (policy.shouldShowSettingsOnLaunch(launchedAsLoginItem)) showSettings();
}

void AppDelegate::showSettings() {
    if (!settingsController_) settingsController_ = makeSettings_(*model_, *center_);
    settingsController_->show();
    // Brought up from a shortcut or a second start, another application may hold the focus.
    if (QWidget* window = settingsController_->window()) X11Desktop::takeFocus(window);
    emit settingsShown();
}

void AppDelegate::togglePanel() {
    if (!panelController_) panelController_ = std::make_unique<FloatingPanelController>(*model_, *center_);
    panelController_->toggle();
    emit panelToggled();
}

bool AppDelegate::prepareToQuit() {
    // The model announces a change only when the flush had something to write.
    bool wrote = false;
    const auto connection = connect(model_.get(), &AppModel::changed, this, [&wrote] { wrote = true; });
    model_->flushPending();
    disconnect(connection);
    return wrote;
}

}  // namespace kestrine
