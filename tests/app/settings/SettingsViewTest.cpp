// The settings window's root view and its furniture, driven through the real widgets over the
// model's recording fakes: which parts show when, and what their controls do.
#include "app/Localization.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/ErrorBanner.h"
#include "app/settings/FooterBar.h"
#include "app/settings/HeaderView.h"
#include "app/settings/MorePopover.h"
#include "app/settings/PresetCardsView.h"
#include "app/settings/PresetEditor.h"
#include "app/settings/SettingsView.h"
#include "app/SettingsWindowController.h"
#include "app/settings/ShelfHeader.h"
#include "app/settings/ShortcutRow.h"
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyCap.h"
#include "app/style/PaletteLabel.h"
#include "app/style/ReduceMotion.h"
#include "app/style/ToggleSwitch.h"
#include "app/platform/linux/X11Desktop.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

#include <QGraphicsOpacityEffect>
#include <QMessageBox>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;

namespace {

QStringList capTexts(const ShortcutRow& row) {
    QStringList texts;
    for (KeyCap* cap : row.keyCaps()) texts << cap->text();
    return texts;
}

bool shown(const QWidget* widget) {
    return widget && widget->isVisibleTo(widget->window());
}

// Clicks a key-shaped button in the middle of its face (its corners belong to the shadow).
void clickKey(KeySurfaceButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->restingFaceRect().center().toPoint());
}

void clickSwitch(ToggleSwitch* toggle) {
    QTest::mouseClick(toggle, Qt::LeftButton, {}, toggle->trackRect().center().toPoint());
}

void clickIcon(IconButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->frameRect().center().toPoint());
}

class SettingsViewTest : public ::testing::Test, public SettingsFixture {
protected:
    std::unique_ptr<SettingsView> view;

    void SetUp() override { Palette::setDarkOverride(false); }

    void open(bool loadFails = false, bool installed = true) {
        buildModel(loadFails);
        loginItem = makeLoginItem(installed);
        view = std::make_unique<SettingsView>(*model, *loginItem, *center, *recorder);
        view->resize(760, 820);
        view->show();
    }

    void TearDown() override {
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tearDownShared();
        ReduceMotion::setOverride(std::nullopt);
        Palette::setDarkOverride(std::nullopt);
    }

    ShortcutRow& row() { return *view->header()->shortcutRow(); }
    FooterBar& footer() { return *view->footer(); }
};

// MARK: - Root

TEST_F(SettingsViewTest, WithoutAnActivePresetTheShelfSectionIsAbsentAndTheCardsFollowTheHeader) {
    open(/*loadFails=*/true);
    ASSERT_FALSE(model->activePreset());
    EXPECT_FALSE(shown(view->shelfSection()));
    EXPECT_TRUE(shown(view->header()));
    EXPECT_TRUE(shown(view->presetCards()));
    EXPECT_TRUE(shown(view->footer()));
    // The start failure is on the banner.
    ASSERT_NE(view->errorBanner(), nullptr);
    EXPECT_EQ(view->errorBanner()->message(), *model->errorMessage());
    // Under what the header shows comes the line naming the dock, close to it; the cards follow
    // that line at the column's spacing.
    QCoreApplication::processEvents();
    const QRect header = visibleRect(view->header());
    const QRect line = view->dockLine()->geometry().marginsRemoved(view->dockLine()->contentsMargins());
    const QRect cards = visibleRect(view->presetCards());
    EXPECT_TRUE(shown(view->dockLine()));
    EXPECT_EQ(line.top() - (header.bottom() + 1), SettingsView::dockLineGap);
    EXPECT_EQ(cards.top() - (line.bottom() + 1), SettingsView::contentSpacing);
}

// The content is as tall as what it shows plus its bottom padding, so it scrolls by exactly what
// does not fit: nothing when the window is tall enough.
TEST_F(SettingsViewTest, TheContentScrollsOnlyByWhatDoesNotFit) {
    open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QScrollArea* scroll = view->scrollArea();
    for (int height : {2000, 500}) {
        SCOPED_TRACE(height);
        view->resize(760, height);
        QCoreApplication::processEvents();
        const int needed = view->content()->heightForWidth(scroll->viewport()->width());
        EXPECT_EQ(needed, visibleRect(view->presetCards()).bottom() + 1 + SettingsView::contentPadding().bottom());
        EXPECT_EQ(scroll->verticalScrollBar()->maximum(), std::max(0, needed - scroll->viewport()->height()));
    }
}

TEST_F(SettingsViewTest, TheEditorSheetIsOneAtATimeAndClearsWhenItCloses) {
    open();
    ASSERT_TRUE(model->activePreset());
    EXPECT_TRUE(shown(view->shelfSection()));
    EXPECT_FALSE(view->editor());
    view->openEditor(PresetEditorMode::create());
    ASSERT_NE(view->editorSheet(), nullptr);
    ASSERT_TRUE(view->editor());
    EXPECT_EQ(view->editor()->identifier(), QStringLiteral("create"));
    QPointer<PresetEditor> first = view->editorSheet();

    // The shelf asks for the picker while the sheet is open: nothing changes.
    view->shelf()->onAddApps();
    EXPECT_EQ(view->editorSheet(), first.data());
    EXPECT_EQ(view->editor()->identifier(), QStringLiteral("create"));

    first->reject();
    EXPECT_FALSE(view->editor());
    EXPECT_EQ(view->editorSheet(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    // The shelf header's edit button opens the active preset's details.
    view->shelfHeader()->onEdit();
    ASSERT_TRUE(view->editor());
    EXPECT_EQ(view->editor()->identifier(), QStringLiteral("details-default"));
    view->editorSheet()->reject();
    view->presetCards()->onEditor(PresetEditorMode::addApps());
    ASSERT_TRUE(view->editor());
    EXPECT_EQ(view->editor()->identifier(), QStringLiteral("addApps"));
    view->editorSheet()->reject();
    EXPECT_FALSE(view->editor());
}

// Real Tab presses (xdotool) walk the controls along the layout: the shortcut row, the shelf
// header's pencil, the shelf's tiles left to right, the cards, and only then the footer. Tiles
// and cards rebuilt after the window was built would otherwise come last.
TEST_F(SettingsViewTest, TabFollowsTheLayoutFromTopToBottom) {
    if (QProcess::execute("xdotool", {"version"}) != 0) GTEST_SKIP() << "needs xdotool";
    buildModel();
    SettingsWindowController controller(*model, *center, [this] { return makeLoginItem(); });
    controller.show();
    // Two new presets, each made active: the second shares no application with the first, so
    // every tile on the shelf is new, and so are two cards.
    ASSERT_TRUE(model->createPreset("Work", std::nullopt, {"com.a"}));
    ASSERT_TRUE(model->createPreset("Play", std::nullopt, {"com.b", "com.c"}));
    SettingsView* view = controller.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.window()));
    X11Desktop::takeFocus(controller.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller.window(), 10000));
    ShortcutRow& row = *view->header()->shortcutRow();
    row.changeButton()->setFocus(Qt::TabFocusReason);

    const QWidget* sections[] = {view->header(), view->shelfHeader(), view->shelf(), view->presetCards(), view->footer()};
    std::vector<int> ranks;
    std::vector<QPoint> shelfStops;
    for (int press = 0; press < 40; ++press) {
        QWidget* before = QApplication::focusWidget();
        ASSERT_EQ(QProcess::execute("xdotool", {"key", "Tab"}), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != before; }, 10000)) << press;
        QWidget* now = QApplication::focusWidget();
        if (now == row.changeButton()) break;  // once round the window
        const auto* section = std::find_if(std::begin(sections), std::end(sections),
                                           [&](const QWidget* s) { return s->isAncestorOf(now); });
        ranks.push_back(int(section - std::begin(sections)));
        if (ranks.back() == 2) shelfStops.push_back(now->mapTo(view->shelf(), QPoint()));
    }
    EXPECT_EQ(ranks.front(), 1);
    EXPECT_EQ(ranks.back(), 4);
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end())) << ::testing::PrintToString(ranks);
    ASSERT_GE(shelfStops.size(), view->shelf()->tiles().size());
    for (std::size_t i = 1; i < shelfStops.size(); ++i)
        EXPECT_TRUE(shelfStops[i].x() > shelfStops[i - 1].x() || shelfStops[i].y() > shelfStops[i - 1].y()) << i;
}

// MARK: - Shortcut row

TEST_F(SettingsViewTest, InAWaylandSessionTheRowSaysTheShortcutCannotWork) {
    open();
    EXPECT_FALSE(shown(row().unavailableLine()));
    center->setAvailability(HotKey::Availability::unavailableOnWayland);
    EXPECT_TRUE(shown(row().unavailableLine()));
    EXPECT_EQ(row().unavailableLine()->text(), Localization::tr("hotkey.unavailable.wayland"));
    EXPECT_FALSE(shown(row().hotKeyLabel())) << "the row must not claim the shortcut opens anything";
    EXPECT_EQ(capTexts(row()), (QStringList{"Ctrl", "Alt", "D"})) << "the chosen keys stay shown";
    EXPECT_FALSE(shown(row().messageLine()));
    clickKey(row().changeButton());
    EXPECT_FALSE(shown(row().unavailableLine())) << "recording takes over the row";
    clickKey(row().changeButton());
    EXPECT_TRUE(shown(row().unavailableLine()));
}

TEST_F(SettingsViewTest, RecordingTakesOverTheRowAndResetAppearsOnlyForAChangedShortcut) {
    open();
    EXPECT_EQ(capTexts(row()), (QStringList{"Ctrl", "Alt", "D"}));
    EXPECT_FALSE(shown(row().resetButton()));
    center->update(controlOptionK);
    EXPECT_EQ(capTexts(row()), (QStringList{"Ctrl", "Alt", "K"}));
    EXPECT_TRUE(shown(row().resetButton()));
    EXPECT_FALSE(shown(row().recordingBadge()));
    EXPECT_FALSE(shown(row().helpLine()));

    clickKey(row().changeButton());
    ASSERT_TRUE(recorder->isRecording());
    EXPECT_TRUE(shown(row().recordingBadge()));
    EXPECT_TRUE(shown(row().helpLine()));
    for (KeyCap* cap : row().keyCaps()) EXPECT_FALSE(shown(cap));
    EXPECT_FALSE(shown(row().hotKeyLabel()));
    EXPECT_EQ(row().changeButton()->text(), Localization::tr("common.cancel"));
    EXPECT_FALSE(shown(row().resetButton())) << "no reset while recording, even for a changed shortcut";

    // Cancel ends the recording and the row comes back as it was.
    clickKey(row().changeButton());
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(shown(row().recordingBadge()));
    EXPECT_FALSE(shown(row().helpLine()));
    EXPECT_EQ(center->spec(), controlOptionK);
    for (KeyCap* cap : row().keyCaps()) EXPECT_TRUE(shown(cap));

    // One click on reset restores and stores the default.
    clickKey(row().resetButton());
    EXPECT_TRUE(center->isDefault());
    EXPECT_EQ(hotKeys.stored, HotKeySpec::defaultSpec());
    EXPECT_FALSE(shown(row().resetButton()));
    EXPECT_EQ(capTexts(row()), (QStringList{"Ctrl", "Alt", "D"}));
}

TEST_F(SettingsViewTest, TheRecorderHintHidesTheCentreErrorWhileBothExist) {
    open();
    EXPECT_FALSE(shown(row().messageLine()));
    center->setErrorMessage(QStringLiteral("Taken by another app"));
    ASSERT_TRUE(shown(row().messageLine()));
    EXPECT_EQ(row().messageLine()->text(), QStringLiteral("Taken by another app"));
    EXPECT_EQ(row().messageLine()->swatch(), Palette::Swatch::danger);

    recorder->start();
    QTest::keyClick(view.get(), Qt::Key_A);  // no modifier: not a shortcut
    ASSERT_TRUE(recorder->hint());
    center->setErrorMessage(QStringLiteral("Taken by another app"));
    EXPECT_EQ(row().messageLine()->text(), Localization::tr("hotkey.error.needsModifier"));

    recorder->stop();
    ASSERT_TRUE(shown(row().messageLine()));
    EXPECT_EQ(row().messageLine()->text(), QStringLiteral("Taken by another app"));
    center->setErrorMessage(std::nullopt);
    EXPECT_FALSE(shown(row().messageLine()));
}

// MARK: - Footer

TEST_F(SettingsViewTest, TheLoginSwitchRegistersAndTheFooterShowsRefusalsAndApproval) {
    open();
    EXPECT_FALSE(shown(footer().statusText()));
    EXPECT_FALSE(shown(footer().approvalRow()));
    EXPECT_FALSE(footer().loginSwitch()->isChecked());
    clickSwitch(footer().loginSwitch());
    EXPECT_EQ(loginItems->status, LoginItemService::Status::enabled);
    EXPECT_TRUE(footer().loginSwitch()->isChecked());
    QTest::keyClick(footer().loginSwitch(), Qt::Key_Space);
    EXPECT_EQ(loginItems->status, LoginItemService::Status::notRegistered);
    EXPECT_FALSE(footer().loginSwitch()->isChecked());
    EXPECT_FALSE(shown(footer().statusText()));

    loginItems->refuse = true;
    clickSwitch(footer().loginSwitch());
    ASSERT_TRUE(loginItem->errorMessage());
    EXPECT_TRUE(shown(footer().statusText()));
    EXPECT_EQ(footer().statusText()->text(), *loginItem->errorMessage());
    EXPECT_EQ(footer().statusText()->swatch(), Palette::Swatch::danger);
    // Approval needed shows the approval row even with an error.
    loginItems->status = LoginItemService::Status::requiresApproval;
    loginItem->refresh();
    ASSERT_TRUE(loginItem->errorMessage());
    EXPECT_TRUE(shown(footer().approvalRow()));
    EXPECT_FALSE(shown(footer().statusText()));
    EXPECT_TRUE(footer().loginSwitch()->isChecked()) << "awaiting approval counts as on";
}

TEST_F(SettingsViewTest, OutsideAnInstallationTheFooterSaysWhyTheSwitchCannotWork) {
    open(false, /*installed=*/false);
    EXPECT_FALSE(shown(footer().approvalRow()));
    ASSERT_TRUE(shown(footer().statusText()));
    EXPECT_EQ(footer().statusText()->text(), Localization::tr("footer.login.unavailable"));
    EXPECT_EQ(footer().statusText()->swatch(), Palette::Swatch::inkSoft);

    // Turning it on anyway: the switch stays off and the reason replaces the note.
    clickSwitch(footer().loginSwitch());
    EXPECT_FALSE(footer().loginSwitch()->isChecked());
    EXPECT_EQ(loginItems->registrations, 0);
    EXPECT_EQ(footer().statusText()->text(), Localization::tr("login.error.notBundle"));
    EXPECT_EQ(footer().statusText()->swatch(), Palette::Swatch::danger);
}

// MARK: - Error banner

TEST_F(SettingsViewTest, TheBannerShowsTheModelsErrorAndItsDismissButtonClearsIt) {
    ReduceMotion::setOverride(true);
    open();
    EXPECT_EQ(view->errorBanner(), nullptr);
    model->setErrorMessage(QStringLiteral("The Dock could not be written."));
    ErrorBanner* banner = view->errorBanner();
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->message(), QStringLiteral("The Dock could not be written."));
    // With reduce motion it only fades: the card is in place from the start.
    EXPECT_EQ(banner->cardRect().translated(banner->pos()).top(), SettingsView::bannerTop);

    // A new message replaces the text on the same banner.
    model->setErrorMessage(QStringLiteral("Second problem"));
    EXPECT_EQ(view->errorBanner(), banner);
    EXPECT_EQ(banner->message(), QStringLiteral("Second problem"));

    clickIcon(banner->dismissButton());
    EXPECT_FALSE(model->errorMessage());
    EXPECT_EQ(view->errorBanner(), nullptr);

    // A later error shows a banner again.
    model->setErrorMessage(QStringLiteral("Third"));
    ASSERT_NE(view->errorBanner(), nullptr);
    EXPECT_EQ(view->errorBanner()->message(), QStringLiteral("Third"));
}

TEST_F(SettingsViewTest, TheBannerSlidesInFromAboveTheTopEdgeAndLeavesTheSameWay) {
    ReduceMotion::setOverride(false);
    open();
    model->setErrorMessage(QStringLiteral("Oops"));
    QPointer<ErrorBanner> banner = view->errorBanner();
    ASSERT_TRUE(banner);
    auto* presence = banner->findChild<QVariantAnimation*>();
    ASSERT_NE(presence, nullptr);
    auto* fade = qobject_cast<QGraphicsOpacityEffect*>(banner->graphicsEffect());
    ASSERT_NE(fade, nullptr);
    // At the start the whole card is above the window and transparent.
    EXPECT_LE(banner->cardRect().translated(banner->pos()).bottom(), 0);
    EXPECT_EQ(fade->opacity(), 0);

    presence->setCurrentTime(presence->duration());
    EXPECT_EQ(banner->cardRect().translated(banner->pos()).top(), SettingsView::bannerTop);
    EXPECT_EQ(fade->opacity(), 1);

    model->setErrorMessage(std::nullopt);
    EXPECT_EQ(view->errorBanner(), nullptr);
    ASSERT_TRUE(banner) << "the banner stays while it leaves";
    ASSERT_EQ(presence->state(), QAbstractAnimation::Running);
    presence->setCurrentTime(presence->duration());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(banner.isNull());
}

// MARK: - More popover and restore

TEST_F(SettingsViewTest, TheGearTogglesTheMorePopoverWithItsRecentsSwitchAndQuitSection) {
    open();
    EXPECT_FALSE(footer().isMoreShown());
    clickIcon(footer().moreButton());
    ASSERT_TRUE(footer().isMoreShown());
    MorePopover* popover = footer().morePopover();
    EXPECT_TRUE(popover->isVisible());
    // The quit section names the current shortcut.
    EXPECT_EQ(popover->quitBody()->text(), Localization::format("more.quit.body", QStringLiteral("Ctrl+Alt+D")));
    center->update(controlOptionK);
    EXPECT_EQ(popover->quitBody()->text(), Localization::format("more.quit.body", QStringLiteral("Ctrl+Alt+K")));
    // The recents switch hides and shows the Dock's recent applications.
    auto showRecents = [&]() -> std::optional<bool> {
        const bool* value = system->dock.count("show-recents") ? system->dock["show-recents"].boolean() : nullptr;
        return value ? std::optional(*value) : std::nullopt;
    };
    ToggleSwitch* recents = popover->recentsSwitch();
    EXPECT_FALSE(recents->isChecked());
    clickSwitch(recents);
    EXPECT_EQ(showRecents(), std::optional(false));
    EXPECT_TRUE(model->recentsHidden());
    EXPECT_TRUE(recents->isChecked());
    clickSwitch(recents);
    EXPECT_EQ(showRecents(), std::optional(true));
    EXPECT_FALSE(recents->isChecked());

    QTest::keyClick(popover, Qt::Key_Escape);
    EXPECT_FALSE(footer().isMoreShown());
    clickIcon(footer().moreButton());
    EXPECT_TRUE(footer().isMoreShown());
    clickIcon(footer().moreButton());
    EXPECT_FALSE(footer().isMoreShown());
}

class RestoreTest : public SettingsViewTest {
protected:
    std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> deferred;

    void openWithChangedDock() {
        open();
        footer().defer = [this](std::chrono::milliseconds delay, std::function<void()> action) {
            deferred.emplace_back(delay, std::move(action));
        };
        // One write makes the original backup; the Dock now lacks com.a.
        model->removeApp("com.a");
        model->flushPending();
        ASSERT_EQ(tileIDs(system->dockTiles()), (std::vector<std::string>{"com.b", "com.c"}));
    }

    QMessageBox* askToRestore() {
        footer().setMoreShown(true);
        clickKey(footer().morePopover()->restoreButton());
        EXPECT_FALSE(footer().isMoreShown()) << "the popover closes first";
        EXPECT_FALSE(footer().isRestoreAlertShown()) << "the alert waits a moment";
        EXPECT_EQ(deferred.size(), 1u);
        if (deferred.empty()) return nullptr;
        EXPECT_EQ(deferred[0].first, 250ms);
        auto action = std::move(deferred[0].second);
        deferred.clear();
        action();
        return footer().restoreAlert();
    }
};

TEST_F(RestoreTest, CancellingLeavesTheDockAloneAndConfirmingPutsBackTheOriginal) {
    openWithChangedDock();
    QMessageBox* alert = askToRestore();
    ASSERT_NE(alert, nullptr);
    const int writes = dockWrites();
    QTest::keyClick(alert, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(footer().isRestoreAlertShown());
    EXPECT_EQ(dockWrites(), writes);
    EXPECT_EQ(tileIDs(system->dockTiles()), (std::vector<std::string>{"com.b", "com.c"}));

    alert = askToRestore();
    ASSERT_NE(alert, nullptr);
    QPushButton* confirm = footer().restoreConfirmButton();
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(alert->buttonRole(confirm), QMessageBox::DestructiveRole);
    EXPECT_NE(alert->defaultButton(), confirm) << "Return must not restore";
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(tileIDs(system->dockTiles()), (std::vector<std::string>{"com.a", "com.b", "com.c"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(footer().isRestoreAlertShown());
}

}  // namespace
