// The settings window driven through its real widgets over the model's recording fakes: the root
// view and its furniture (which parts show when, what their controls do, the window's life); the
// Dock shelf, its header and the preset cards (drops, removal, keyboard moves, accessibility
// actions, selection, the context menu and its delete confirmation, the wrapping flows, the states
// that only pixels show); the preset editor sheet and its building blocks, the app tile of the
// picker and the emoji chip; and the pieces under the layout: wrapping text, text sizes, and where
// the more popover goes.
#include "app/style/Typography.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

#include <QFontInfo>
#include <QScreen>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

bool shown(const QWidget* widget) { return widget && widget->isVisibleTo(widget->window()); }

// The names of the shown ones among `parts`, in their order, space-separated.
std::string shownOf(std::initializer_list<std::pair<const char*, const QWidget*>> parts) {
    std::string names;
    for (const auto& [name, widget] : parts) if (shown(widget)) names += (names.empty() ? "" : " ") + std::string(name);
    return names;
}

// Clicks in the middle of what the control draws (a key's corners belong to its shadow).
void clickAt(QWidget* widget, QRectF face) { QTest::mouseClick(widget, Qt::LeftButton, {}, face.center().toPoint()); }
void clickKey(KeySurfaceButton* button) { clickAt(button, button->restingFaceRect()); }
void clickSwitch(ToggleSwitch* toggle) { clickAt(toggle, toggle->trackRect()); }
void clickIcon(IconButton* button) { clickAt(button, button->frameRect()); }

class SettingsViewTest : public ::testing::Test, public ModelFixture {
protected:
    MemoryHotKeys hotKeys;
    std::shared_ptr<FakeLoginItems::Shared> loginItems = std::make_shared<FakeLoginItems::Shared>();
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<ShortcutRecorder> recorder;
    std::unique_ptr<LaunchAtLogin> loginItem;
    std::unique_ptr<SettingsView> view;
    std::unique_ptr<SettingsWindowController> controller;
    int loginItemsMade = 0;

    void SetUp() override { Palette::setDarkOverride(false); }
    // The view over a Dock of three applications, or with `window` the window as the application shows it,
    // counting the login items it asks for. `loadFails`: the state file cannot be read, so the model
    // starts inert with no presets.
    void open(bool loadFails = false, bool installed = true, bool window = false) {
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 3)});
        if (loadFails) system->log.failOn("load");
        model = build(), model->reload();
        center = hotKeys.makeCenter();
        center->start();
        recorder = std::make_unique<ShortcutRecorder>(*center);
        auto make = [this, installed] { return std::make_unique<LaunchAtLogin>(std::make_unique<FakeLoginItems>(loginItems), installed); };
        if (window) {
            controller = std::make_unique<SettingsWindowController>(*model, *center, [this, make] { return ++loginItemsMade, make(); });
            return controller->show();
        }
        loginItem = make();
        view = std::make_unique<SettingsView>(*model, *loginItem, *center, *recorder);
        view->resize(760, 820), view->show();
    }
    // How many of the controller, the model and the window say it is shown; what the model reads of
    // the Dock; the login item's status; and how many login items were made.
    auto state() {
        return std::tuple(controller->isShown() + model->settingsVisible() + (controller->window() != nullptr), appIDs(model->dockApps()),
                          controller->loginItem() ? controller->loginItem()->status() : LoginItemService::Status::notFound, loginItemsMade);
    }
    void TearDown() override {
        controller.reset(), view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (recorder) recorder->stop();
        recorder.reset(), loginItem.reset(), center.reset(), model.reset();
        ReduceMotion::setOverride(std::nullopt), Palette::setDarkOverride(std::nullopt);
    }

    ShortcutRow& row() { return *view->header()->shortcutRow(); }
    FooterBar& footer() { return *view->footer(); }
    // What a shown label says, " !" before it in the danger colour.
    static std::string says(const PaletteLabel* label) {
        return shown(label) ? (label->swatch() == Palette::Swatch::danger ? " !" : " ") + label->text().toStdString() : "";
    }
    std::string rowShows() {
        QStringList caps;
        for (KeyCap* cap : row().keyCaps()) if (shown(cap)) caps << cap->text();
        return shownOf({{"badge", row().recordingBadge()}, {"label", row().hotKeyLabel()}, {"unavailable", row().unavailableLine()},
                        {"reset", row().resetButton()}, {"help", row().helpLine()}}) +
               " " + caps.join('+').toStdString() + says(row().messageLine());
    }
    std::string footerShows() { return shownOf({{"approval", footer().approvalRow()}, {"status", footer().statusText()}}) + says(footer().statusText()); }
};

// MARK: - Root

// When the state file cannot be read there is no active preset: the shelf section is absent and
// the banner says why. Light and dark, the canvas shows in the corner and under the content's left
// padding, and the banner's card over the content.
TEST_F(SettingsViewTest, WithoutAnActivePresetTheShelfSectionIsAbsentAndTheBannerSaysWhyOverTheCanvas) {
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        Palette::setDarkOverride(dark), ReduceMotion::setOverride(false);
        open(/*loadFails=*/true);
        ErrorBanner* banner = view->errorBanner();
        ASSERT_TRUE(!model->activePreset() && banner && banner->message() == *model->errorMessage());
        EXPECT_EQ(shownOf({{"header", view->header()}, {"dock", view->dockLine()}, {"shelf", view->shelfSection()},
                           {"cards", view->presetCards()}, {"footer", view->footer()}}), "header dock cards footer");
        const QImage image = shoot(view.get(), QStringLiteral("settings-banner"));
        EXPECT_EQ(std::pair(colorAt(image, QPoint(2, 2)).rgb(), colorAt(image, QPoint(10, 300)).rgb()), std::pair(Palette::canvas().rgb(), Palette::canvas().rgb()));
        const QRect card = banner->cardRect();
        EXPECT_TRUE(near(colorIn(image, view.get(), banner, QPointF(card.left() + 4, card.center().y())), Palette::raised()));
        TearDown();
    }
}

// The content is as tall as what it shows plus its bottom padding, so it scrolls by exactly what
// does not fit; the footer stays at the bottom and nothing is wider than the visible area.
TEST_F(SettingsViewTest, TheContentScrollsOnlyByWhatDoesNotFit) {
    open();
    QScrollArea* scroll = view->scrollArea();
    for (QSize size : {QSize(760, 2000), QSize(760, 500), QSize(680, 660)}) {
        view->resize(size);
        QCoreApplication::processEvents();
        const int needed = view->content()->heightForWidth(scroll->viewport()->width());
        EXPECT_EQ(std::tuple(needed, scroll->verticalScrollBar()->maximum(), view->footer()->geometry().bottom()),
                  std::tuple(WidgetRoom::shown(view->presetCards()).bottom() + 1 + SettingsView::contentPadding().bottom(),
                             std::max(0, needed - scroll->viewport()->height()), view->height() - 1)) << size.height();
        EXPECT_LE(view->content()->width(), scroll->viewport()->width());
    }
}

// The new-preset card, the shelf header's pencil and the add tile's square open the sheet; the add
// tile's caption takes no clicks.
TEST_F(SettingsViewTest, EveryRoadOpensOneEditorSheetAtATimeWhichClearsWhenItCloses) {
    open();
    ASSERT_TRUE(shown(view->shelfSection()));
    AddAppsTile* add = view->shelf()->addTile();
    QTest::mouseClick(add, Qt::LeftButton, {}, QPoint(add->visibleRect().center().x(), add->visibleRect().bottom() - 2));
    EXPECT_EQ(view->editorSheet(), nullptr);
    const std::pair<const char*, std::function<void()>> roads[] = {
        {"create", [&] { clickAt(view->presetCards()->newPresetCard(), view->presetCards()->newPresetCard()->cardRect()); }},
        {"details-default", [&] { clickIcon(view->shelfHeader()->editButton()); }},
        {"addApps", [&] { clickAt(add, add->squareRect()); }}};
    for (const auto& [identifier, road] : roads) {
        road();
        QPointer<PresetEditor> sheet = view->editorSheet();
        ASSERT_TRUE(sheet && view->editor());
        // Asking again by any road while the sheet is open changes nothing.
        for (const auto& other : roads) other.second();
        EXPECT_EQ(std::pair(view->editorSheet(), view->editor()->identifier()), std::pair(sheet.data(), QString::fromLatin1(identifier)));
        sheet->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(view->editor() || view->editorSheet() || sheet) << identifier;
    }
}

// Real Tab presses (xdotool) walk the controls along the layout: the shortcut row, the shelf
// header's pencil, the shelf's tiles left to right, the cards, and only then the footer. Tiles
// and cards rebuilt after the window was built would otherwise come last.
TEST_F(SettingsViewTest, TabFollowsTheLayoutFromTopToBottom) {
    if (QProcess::execute("xdotool", {"version"}) != 0) GTEST_SKIP() << "needs xdotool";
    open(false, true, true);
    // Two new presets, each made active: the second shares no application with the first, so
    // every tile on the shelf is new, and so are two cards.
    ASSERT_TRUE(model->createPreset("Work", std::nullopt, {"com.a"}) && model->createPreset("Play", std::nullopt, {"com.b", "com.c"}));
    SettingsView* view = controller->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    X11Desktop::takeFocus(controller->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller->window(), 10000));
    QWidget* start = view->header()->shortcutRow()->changeButton();
    start->setFocus(Qt::TabFocusReason);

    const QWidget* sections[] = {view->header(), view->shelfHeader(), view->shelf(), view->presetCards(), view->footer()};
    std::vector<int> ranks;
    std::vector<QPoint> shelfStops;
    for (int press = 0; press < 40; ++press) {
        QWidget* before = QApplication::focusWidget();
        ASSERT_EQ(QProcess::execute("xdotool", {"key", "Tab"}), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != before; }, 10000)) << press;
        QWidget* now = QApplication::focusWidget();
        if (now == start) break;  // once round the window
        ranks.push_back(int(std::ranges::find_if(sections, [&](const QWidget* s) { return s->isAncestorOf(now); }) - std::begin(sections)));
        if (ranks.back() == 2) shelfStops.push_back(now->mapTo(view->shelf(), QPoint()));
    }
    EXPECT_TRUE(ranks.front() == 1 && ranks.back() == 4 && std::ranges::is_sorted(ranks)) << ::testing::PrintToString(ranks);
    ASSERT_GE(shelfStops.size(), view->shelf()->tiles().size());
    auto inReadingOrder = [](QPoint a, QPoint b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); };
    EXPECT_TRUE(std::ranges::is_sorted(shelfStops, inReadingOrder) && std::ranges::adjacent_find(shelfStops) == shelfStops.end());
}

// MARK: - Shortcut row

// Each step is done to the row as it was left by the one before.
TEST_F(SettingsViewTest, TheShortcutRowShowsTheKeysRecordingResetAndWhyTheShortcutCannotWork) {
    open();
    const std::string taken = "Taken by another app", needsModifier = " !" + Localization::tr("hotkey.error.needsModifier").toStdString();
    const std::pair<std::function<void()>, std::string> steps[] = {
        {[] {}, "label Ctrl+Alt+D"},
        {[&] { center->update(controlOptionK); }, "label reset Ctrl+Alt+K"},
        // Recording takes over the row; no reset while recording, even for a changed shortcut.
        {[&] { clickKey(row().changeButton()); }, "badge help "},
        {[&] { clickKey(row().changeButton()); }, "label reset Ctrl+Alt+K"},  // cancelled: as it was
        {[&] { clickKey(row().resetButton()); }, "label Ctrl+Alt+D"},
        {[&] { center->setErrorMessage(QString::fromStdString(taken)); }, "label Ctrl+Alt+D !" + taken},
        // The recorder's hint hides the centre's error while both exist.
        {[&] { recorder->start(), QTest::keyClick(view.get(), Qt::Key_A), center->setErrorMessage(QString::fromStdString(taken)); }, "badge help " + needsModifier},
        {[&] { recorder->stop(); }, "label Ctrl+Alt+D !" + taken},
        {[&] { center->setErrorMessage(std::nullopt); }, "label Ctrl+Alt+D"},
        // In a Wayland session the row must not claim the shortcut opens anything; the keys stay.
        {[&] { center->setAvailability(HotKey::Availability::unavailableOnWayland); }, "unavailable Ctrl+Alt+D"},
        {[&] { clickKey(row().changeButton()); }, "badge help "},
        {[&] { clickKey(row().changeButton()); }, "unavailable Ctrl+Alt+D"}};
    for (const auto& [action, shows] : steps) {
        action();
        EXPECT_EQ(rowShows(), shows);
    }
    EXPECT_EQ(std::pair(center->spec(), hotKeys.stored), std::pair(HotKeySpec::defaultSpec(), std::optional(HotKeySpec::defaultSpec()))) << "reset stores the default";
}

// In a Wayland session the row shows a note, in place of its own 'unavailable' line, that copies
// the command the desktop's keyboard settings must run; outside one, no note.
TEST_F(SettingsViewTest, OnlyAWaylandSessionExplainsWhereToSetTheShortcutAndCopiesTheCommand) {
    for (bool wayland : {false, true}) {
        if (wayland) ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
        open();
        ::unsetenv("WAYLAND_DISPLAY");
        // As the real centre in that session says; the note then stands in for the row's own line.
        if (wayland) center->setAvailability(HotKey::Availability::unavailableOnWayland);
        auto* note = row().findChild<WaylandShortcutNote*>();
        EXPECT_EQ(std::pair(note != nullptr, rowShows()), std::pair(wayland, std::string(wayland ? " Ctrl+Alt+D" : "label Ctrl+Alt+D"))) << wayland;
        if (note) {
            QGuiApplication::clipboard()->clear();
            note->copyButton()->click();
            EXPECT_TRUE(note->body()->text().contains(QGuiApplication::clipboard()->text()) && QGuiApplication::clipboard()->text().endsWith(" panel"));
        }
        TearDown();
    }
}

// MARK: - Footer

// A refusal, or outside an installation the reason, replaces any note; nothing registers outside
// an installation.
TEST_F(SettingsViewTest, TheLoginSwitchRegistersAndTheFooterShowsRefusalsApprovalAndWhyItCannotWork) {
    for (bool installed : {true, false}) {
        SCOPED_TRACE(installed);
        open(false, installed);
        EXPECT_EQ(footerShows(), installed ? "" : "status " + Localization::tr("footer.login.unavailable").toStdString());
        for (bool on : {true, false}) {
            clickSwitch(footer().loginSwitch());
            EXPECT_EQ(std::tuple(footer().loginSwitch()->isChecked(), loginItems->status == LoginItemService::Status::enabled, loginItems->registrations),
                      std::tuple(on && installed, on && installed, int(installed))) << "nothing registers outside an installation";
        }
        loginItems->refuse = true;
        clickSwitch(footer().loginSwitch());
        EXPECT_EQ(footerShows(), "status !" + loginItem->errorMessage().value_or("(none)").toStdString());
        TearDown(), *loginItems = {};
    }
    // Approval needed shows the approval row even with an error, and counts as on.
    open();
    loginItems->refuse = true;
    clickSwitch(footer().loginSwitch());
    loginItems->status = LoginItemService::Status::requiresApproval;
    loginItem->refresh();
    ASSERT_TRUE(loginItem->errorMessage());
    EXPECT_EQ(std::pair(footerShows(), footer().loginSwitch()->isChecked()), std::pair(std::string("approval"), true));
}

// MARK: - Error banner

// It comes in from wholly above the window and transparent (with reduce motion it only fades), takes
// a new message in place, and leaves once dismissed; a later error brings a new one.
TEST_F(SettingsViewTest, TheBannerShowsTheModelsErrorAndSlidesInAndOutUnlessMotionIsReduced) {
    for (bool reduced : {true, false}) {
        SCOPED_TRACE(reduced);
        ReduceMotion::setOverride(reduced);
        open();
        EXPECT_EQ(view->errorBanner(), nullptr);
        model->setErrorMessage(QStringLiteral("Oops"));
        QPointer<ErrorBanner> banner = view->errorBanner();
        auto* presence = banner ? banner->findChild<QVariantAnimation*>() : nullptr;
        auto* fade = banner ? qobject_cast<QGraphicsOpacityEffect*>(banner->graphicsEffect()) : nullptr;
        ASSERT_TRUE(presence && fade);
        const QRect card = banner->cardRect().translated(banner->pos());
        EXPECT_EQ(std::tuple(banner->message(), fade->opacity(), reduced ? card.top() == SettingsView::bannerTop : card.bottom() <= 0),
                  std::tuple(QStringLiteral("Oops"), 0.0, true));
        presence->setCurrentTime(presence->duration());
        EXPECT_EQ(std::pair(banner->cardRect().translated(banner->pos()).top(), fade->opacity()), std::pair(SettingsView::bannerTop, 1.0));
        model->setErrorMessage(QStringLiteral("Second problem"));
        EXPECT_EQ(std::pair(view->errorBanner(), banner->message()), std::pair(banner.data(), QStringLiteral("Second problem")));
        clickIcon(banner->dismissButton());
        ASSERT_TRUE(!model->errorMessage() && !view->errorBanner() && banner && presence->state() == QAbstractAnimation::Running);
        presence->setCurrentTime(presence->duration());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        model->setErrorMessage(QStringLiteral("Third"));
        EXPECT_TRUE(banner.isNull() && view->errorBanner() && view->errorBanner()->message() == QStringLiteral("Third"));
        TearDown();
    }
}

// MARK: - More popover and restore

// The quit section names the current shortcut; the recents switch hides and shows the Dock's
// recent applications.
TEST_F(SettingsViewTest, TheGearTogglesTheMorePopoverWithItsRecentsSwitchAndQuitSection) {
    open();
    clickIcon(footer().moreButton());
    MorePopover* popover = footer().morePopover();
    ASSERT_TRUE(footer().isMoreShown() && popover->isVisible());
    EXPECT_EQ(popover->quitBody()->text(), Localization::format("more.quit.body", QStringLiteral("Ctrl+Alt+D")));
    center->update(controlOptionK);
    EXPECT_EQ(popover->quitBody()->text(), Localization::format("more.quit.body", QStringLiteral("Ctrl+Alt+K")));
    for (bool hidden : {true, false}) {
        clickSwitch(popover->recentsSwitch());
        ASSERT_TRUE(system->dock.count("show-recents") && system->dock["show-recents"].boolean());
        EXPECT_EQ(std::pair(*system->dock["show-recents"].boolean(), popover->recentsSwitch()->isChecked()), std::pair(!hidden, hidden));
    }
    QTest::keyClick(popover, Qt::Key_Escape);
    for (bool more : {false, true, false}) {
        EXPECT_EQ(footer().isMoreShown(), more);
        clickIcon(footer().moreButton());
    }
}

// The popover closes first and the alert waits a moment; Return must not restore.
TEST_F(SettingsViewTest, RestoringAsksAfterAMomentAndOnlyConfirmingPutsBackTheOriginalDock) {
    open();
    std::vector<std::function<void()>> deferred;
    footer().defer = [&](std::chrono::milliseconds, std::function<void()> action) { deferred.push_back(action); };
    // One write makes the original backup; the Dock now lacks com.a.
    model->removeApp("com.a"), model->flushPending();
    const Ids changed{"com.b", "com.c"};
    ASSERT_EQ(tileIDs(system->dockTiles()), changed);
    for (bool confirm : {false, true}) {
        footer().setMoreShown(true);
        clickKey(footer().morePopover()->restoreButton());
        EXPECT_FALSE(footer().isMoreShown() || footer().isRestoreAlertShown());
        ASSERT_EQ(deferred.size(), 1u);
        std::exchange(deferred, {})[0]();
        QMessageBox* alert = footer().restoreAlert();
        QPushButton* yes = footer().restoreConfirmButton();
        ASSERT_TRUE(alert && yes && alert->buttonRole(yes) == QMessageBox::DestructiveRole && alert->defaultButton() != yes);
        if (confirm) QTest::mouseClick(yes, Qt::LeftButton);
        else QTest::keyClick(alert, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(std::pair(footer().isRestoreAlertShown(), tileIDs(system->dockTiles())), std::pair(false, confirm ? Ids{"com.a", "com.b", "com.c"} : changed)) << confirm;
    }
}

// MARK: - Keys

// Return and Space click each focusable control of the settings window that is not a key button
// (those are the key buttons' own).
TEST(SettingsControlKeys, ReturnAndSpaceClickTheTilesCardsAndChips) {
    std::unique_ptr<QAbstractButton> buttons[] = {
        std::make_unique<AddAppsTile>(), std::make_unique<NewPresetCard>(), std::make_unique<EmojiChip>(QStringLiteral("\U0001F680")),
        std::make_unique<AppPickTile>(PresetApp("com.x", "", "X"), [](const PresetApp&) { return QImage(); })};
    for (const auto& button : buttons) {
        int clicks = 0;
        QObject::connect(button.get(), &QAbstractButton::clicked, [&] { ++clicks; });
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) QTest::keyClick(button.get(), key);
        QTest::keyClick(button.get(), Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(clicks, 3) << button->metaObject()->className();
    }
}

// MARK: - The window


// Activating the window rereads the Dock and the login item. Closing, even while recording a
// shortcut (which is then cancelled so the shortcut works again), writes a pending edit at once
// and lets go of everything until the window is shown again, built anew. Control-W closes it,
// Escape does not, and Control-Q quits.
TEST_F(SettingsViewTest, TheWindowIsBuiltOnceRereadsWhenActivatedAndClosingWritesAndLetsGo) {
    open(false, true, true);
    QPointer<QWidget> window = controller->window();
    controller->show();
    EXPECT_EQ(controller->window(), window);
    system->setDock({appTile("com.c", 3), appTile("com.b", 2)});
    loginItems->status = LoginItemService::Status::requiresApproval;
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activate);
    EXPECT_EQ(state(), std::tuple(3, std::vector<std::string>{"com.c", "com.b"}, LoginItemService::Status::requiresApproval, 1));

    model->removeApp("com.b");
    ASSERT_EQ(dockWrites(), 0);
    QPointer<LaunchAtLogin> loginItem = controller->loginItem();
    QPointer<ShortcutRecorder> windowRecorder = controller->recorder();
    windowRecorder->start();
    EXPECT_TRUE(hotKeys.live.empty()) << "the shortcut is off while recording";
    window->close();
    // The pending edit is written without waiting for the debounce.
    EXPECT_EQ(std::tuple(hotKeys.live.size(), center->isRegistered(), center->spec(), dockWrites(), tileIDs(system->dockTiles()), scheduler->isScheduled()),
              std::tuple(1u, true, HotKeySpec::defaultSpec(), 1, Ids{"com.a", "com.c"}, false));
    EXPECT_EQ(state(), std::tuple(0, std::vector<std::string>{}, LoginItemService::Status::notFound, 1));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull() && loginItem.isNull() && windowRecorder.isNull());

    system->setDock({appTile("com.a", 1), appTile("com.z", 9)});
    loginItems->status = LoginItemService::Status::enabled;
    controller->show();
    EXPECT_EQ(state(), std::tuple(3, std::vector<std::string>{"com.a", "com.z"}, LoginItemService::Status::enabled, 2));
    window = controller->window();
    EXPECT_TRUE(std::ranges::any_of(window->actions(), [](QAction* a) { return a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q); }));
    QApplication::setActiveWindow(window);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(controller->window(), window);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(state(), std::tuple(0, std::vector<std::string>{}, LoginItemService::Status::notFound, 2));
}

// MARK: - Layout

// Layouts give texts their room for shadows and rings as contents margins.
TEST(PaletteLabel, ContentsMarginsCountInEveryMeasure) {
    PaletteLabel label(QStringLiteral("Several words that wrap across lines"), Typography::font(TextStyle::caption),
                       Palette::Swatch::inkSoft);
    label.setWrapping(true);
    const int bare = label.heightForWidth(80);
    const QSize hint = label.sizeHint();
    label.setContentsMargins(4, 6, 4, 2);
    EXPECT_EQ(label.heightForWidth(88), bare + 8);
    EXPECT_EQ(label.sizeHint(), hint + QSize(8, 8));
    label.setWrapping(false);  // a single line whatever the width
    EXPECT_EQ(label.heightForWidth(10), QFontMetrics(label.font()).height() + 8);
}

// Sizes are points: on the test screen they come out at size x DPI / 72 pixels.
TEST(Typography, TextSizesArePointsThatTheScreensResolutionTurnsIntoPixels) {
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    ASSERT_NE(dpi, 72) << "at 72 DPI points and pixels cannot be told apart";
    for (const auto& [font, points] : {std::pair{Typography::font(TextStyle::caption), Typography::pointSize(TextStyle::caption)},
                                       std::pair{Typography::systemFont(28, QFont::DemiBold), qreal(28)},
                                       std::pair{Typography::monospacedFont(12), qreal(12)}})
        EXPECT_NEAR(QFontInfo(font).pixelSize(), points * dpi / 72, 1) << points;
}

TEST(MorePopoverPlacement, BelowTheAnchorCentredAboveWhenNoRoomAndInsideTheScreen) {
    const QRect screen(0, 0, 1280, 1000);
    const QSize size(320, 300);
    const int gap = MorePopover::anchorGap;
    EXPECT_EQ(MorePopover::placement(QRect(600, 400, 36, 36), size, screen), QRect(QPoint(617 - 160, 436 + gap), size));
    EXPECT_EQ(MorePopover::placement(QRect(600, 900, 36, 36), size, screen).bottom(), 900 - 1 - gap);
    EXPECT_EQ(MorePopover::placement(QRect(1260, 400, 20, 20), size, screen).right(), screen.right());
    EXPECT_EQ(MorePopover::placement(QRect(0, 400, 20, 20), size, screen).left(), 0);
    // No room either way: it stays below rather than leave the screen at the top.
    EXPECT_EQ(MorePopover::placement(QRect(600, 100, 36, 36), size, QRect(0, 0, 1280, 320)).top(), 136 + gap);
}


// MARK: - The shelf and the cards

// Drags `text` over `target` at `at` and drops it there (unless `drop` is false, when it stays over
// it): whether the drag was let in and whether the drop was taken.
std::pair<bool, bool> dragAndDrop(QWidget* target, const QString& text, QPoint at, bool drop = true) {
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent* event : {(QDropEvent*)&enter, (QDropEvent*)&move, &dropped})
        if (event != &dropped || drop) event->ignore(), QApplication::sendEvent(target, event);
    return {enter.isAccepted(), dropped.isAccepted()};
}

// Enters `widget` at `at` (its middle by default), or leaves it.
void hover(QWidget* widget, bool inside, std::optional<QPointF> at = {}) {
    const QPointF p = at.value_or(QPointF(widget->width() / 2.0, widget->height() / 2.0));
    QEnterEvent enter(p, p, widget->mapToGlobal(p));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, inside ? static_cast<QEvent*>(&enter) : &leave);
}

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) if (!action->isSeparator()) texts << action->text();
    return texts;
}

QAccessibleActionInterface* actions(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->actionInterface(); }

// Both views over one model whose Dock holds `count` applications com.a, com.b, ... (then app26, ...).
class ShelfAndCardsTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override { ReduceMotion::setOverride(false), setDock(4); }
    void TearDown() override { shelf.reset(), cards.reset(), ReduceMotion::setOverride(std::nullopt), Palette::setDarkOverride(std::nullopt); }

    void setDock(int count) {
        shelf.reset(), cards.reset(), model.reset();
        system = std::make_shared<FakeSystem>();
        std::vector<plist::Dictionary> tiles;
        for (int i = 0; i < count; ++i) tiles.push_back(appTile(i < 26 ? std::string("com.") + char('a' + i) : "app" + std::to_string(i), i + 1));
        system->setDock(tiles);
        model = build(), model->reload();
        shelf = std::make_unique<DockShelfView>(*model);
        cards = std::make_unique<PresetCardsView>(*model);
        cards->onEditor = [this](const PresetEditorMode& mode) { editorModes.push_back(mode); };
    }
    // Shows `view` with room for 608 points of visible content (and, for the cards, the room around it).
    void show(QWidget* view) {
        const int width = 680 - 72 + (view == cards.get() ? PresetCardsView::cardRoom().left() + PresetCardsView::cardRoom().right() : 0);
        view->resize(width, view->heightForWidth(width));
        view->show(), view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view));
        QCoreApplication::processEvents();
    }
    void addPresets(std::initializer_list<const char*> names, const std::set<std::string>& selection = {"com.a"}) {
        for (const char* name : names) ASSERT_TRUE(model->createPreset(name, std::nullopt, selection));
    }
    Ids order() { return appIDs(model->activePreset()->apps); }
    Ids tileOrder() {
        Ids ids;
        std::ranges::transform(shelf->tiles(), std::back_inserter(ids), [](ShelfTile* t) { return t->app().id; });
        return ids;
    }
    // The one of `items` whose `key` is `value`, or null.
    template <typename T> static T* find(const std::vector<T*>& items, const std::string& value, auto key) {
        auto found = std::ranges::find(items, value, key);
        return found == items.end() ? nullptr : *found;
    }
    ShelfTile* tile(const std::string& id) { return find(shelf->tiles(), id, [](ShelfTile* t) { return t->app().id; }); }
    PresetCard* card(const std::string& name) { return find(cards->cards(), name, [](PresetCard* c) { return c->preset().name; }); }

    std::unique_ptr<DockShelfView> shelf;
    std::unique_ptr<PresetCardsView> cards;
    std::vector<PresetEditorMode> editorModes;
};

// MARK: - The shelf

TEST_F(ShelfAndCardsTest, TilesShowTheActivePresetInOrderThenTheAddTileOrTheEmptyText) {
    for (std::size_t count : {4, 2, 0}) {
        // Switching to another preset shows its applications; an empty one, the text instead.
        if (count == 2) model->createPreset("Pair", std::nullopt, {"com.c", "com.a"});
        if (count == 0) model->removeApp("com.a"), model->removeApp("com.c");
        EXPECT_EQ(std::pair(order().size(), tileOrder()), std::pair(count, order()));
        std::vector<QWidget*> flow(shelf->tiles().begin(), shelf->tiles().end());
        flow.push_back(shelf->addTile());
        EXPECT_EQ(std::pair(shelf->flowLayout()->widgets(), shelf->emptyLabel()->isVisibleTo(shelf.get())), std::pair(flow, count == 0));
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(std::pair(shelf->tiles()[i]->canMoveEarlier(), shelf->tiles()[i]->canMoveLater()), std::pair(i > 0, i + 1 < count)) << i;
    }
    // The empty text stands above the add tile.
    show(shelf.get());
    EXPECT_LT(shelf->emptyLabel()->geometry().bottom(), shelf->flow()->geometry().top());
}

// A drop on a tile places the dragged one before it; on the add tile or the shelf's empty area,
// at the end. Drops of a tile on itself or of no text are refused; an id the preset does not hold
// is taken (and handed on) but moves nothing.
TEST_F(ShelfAndCardsTest, ADropPlacesTheTileBeforeTheTargetOrAtTheEnd) {
    const Ids same{"com.a", "com.b", "com.c", "com.d"};
    const std::tuple<std::string, QString, bool, Ids> rows[] = {  // target (a tile's id, "add" or "empty"), text, taken, order
        {"com.b", "com.a", true, same},  // before the next is where it is
        {"com.a", "com.c", true, {"com.c", "com.a", "com.b", "com.d"}},
        {"com.b", "com.d\ncom.c", true, {"com.a", "com.d", "com.b", "com.c"}},  // only the first line counts
        {"add", "com.a", true, {"com.b", "com.c", "com.d", "com.a"}},
        {"empty", "com.b", true, {"com.a", "com.c", "com.d", "com.b"}},
        {"com.b", "com.b", false, same},
        {"com.a", "", false, same},
        {"add", "", false, same},
        {"empty", "", false, same},
        {"com.c", "org.elsewhere", true, same},
        {"add", "org.elsewhere", true, same}};
    for (const auto& [name, text, taken, expected] : rows) {
        SCOPED_TRACE(name + " <- " + text.toStdString());
        setDock(4);
        QWidget* target = name == "add" ? shelf->addTile() : name == "empty" ? (QWidget*)shelf.get() : tile(name);
        QPoint at = target->rect().center();
        if (name == "empty") {
            show(shelf.get());
            at = QPoint(shelf->width() - 5, shelf->height() - 5);  // inside the padding, outside every tile
            ASSERT_EQ(shelf->childAt(at), nullptr);
        }
        const auto [entered, dropped] = dragAndDrop(target, text, at);
        // Taken both ways, the order in the model and on the shelf, a write scheduled, and no tile left marked.
        EXPECT_EQ(std::tuple(entered, dropped, order(), tileOrder(), scheduler->isScheduled(), std::ranges::none_of(shelf->tiles(), &ShelfTile::isTargeted)),
                  std::tuple(taken, taken, expected, expected, expected != same, true));
    }
}

TEST_F(ShelfAndCardsTest, AccessibilityActionsMoveAndRemoveAndDoNothingAtTheEnds) {
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tile("com.a"))->text(QAccessible::Name), QStringLiteral("com.a"));
    const QString earlier = Localization::tr("shelf.moveEarlier"), later = Localization::tr("shelf.moveLater"),
                  remove = Localization::tr("shelf.remove");
    EXPECT_EQ(actions(tile("com.a"))->actionNames(), (QStringList{earlier, later, remove}));
    const std::tuple<const char*, QString, Ids> rows[] = {
        {"com.a", earlier, {"com.a", "com.b", "com.c", "com.d"}},  // the first cannot move earlier
        {"com.a", later, {"com.b", "com.a", "com.c", "com.d"}},
        {"com.d", later, {"com.b", "com.a", "com.c", "com.d"}},  // the last cannot move later
        {"com.d", earlier, {"com.b", "com.a", "com.d", "com.c"}},
        {"com.b", remove, {"com.a", "com.d", "com.c"}}};
    for (const auto& [id, action, expected] : rows) {
        actions(tile(id))->doAction(action);
        EXPECT_EQ(order(), expected) << id << " " << action.toStdString();
    }
}

// Focus goes to the tile that took the removed one's place, or the one before it at the end; Tab
// goes from the last tile to the add tile; Shift+F10 opens a tile's menu.
TEST_F(ShelfAndCardsTest, TheKeyboardMovesAndRemovesTheFocusedTile) {
    show(shelf.get());
    ShelfTile* b = tile("com.b");
    b->setFocus(Qt::TabFocusReason);
    QTest::keyClick(b, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.b", "com.d"}));
    EXPECT_TRUE(tile("com.b") == b && b->hasFocus()) << "the very same tile keeps the focus";
    for (int i = 0; i < 3; ++i) QTest::keyClick(b, Qt::Key_Left, Qt::ControlModifier);  // the third: already first
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));
    QTest::keyClick(b, Qt::Key_Delete);
    EXPECT_TRUE(order() == (Ids{"com.a", "com.c", "com.d"}) && tile("com.a")->hasFocus());
    tile("com.d")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tile("com.d"), Qt::Key_Delete);
    EXPECT_TRUE(tile("com.c")->hasFocus());
    QTest::keyClick(tile("com.c"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), shelf->addTile());
    QTest::keyClick(tile("com.a"), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu && menu->actions().size() == 1);
    menu->actions()[0]->trigger(), menu->close();
    EXPECT_EQ(order(), (Ids{"com.c"}));
}

// Sixty applications and thirty presets each wrap onto several lines without overlapping.
TEST_F(ShelfAndCardsTest, ManyTilesAndCardsWrapWithoutOverlapping) {
    setDock(60);
    for (int i = 1; i < 30; ++i) addPresets({("Preset number " + std::to_string(i)).c_str()});
    model->activate(model->presets()[0]);
    // Several lines, each flush with the left edge of `bounds` (in the flow's parent's coordinates), the first at its top.
    auto expectWraps = [](QWidget* flow, const QRect& bounds) {
        const auto lines = expectApart(flow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly), bounds, flow->pos());
        EXPECT_TRUE(lines.size() > 1 && lines.begin()->first == bounds.top()) << lines.size();
        for (auto [top, left] : lines) EXPECT_EQ(left, bounds.left()) << "line at " << top;
    };
    show(shelf.get());
    const int p = DockShelfView::padding;
    expectWraps(shelf->flow(), shelf->rect().marginsRemoved(QMargins(p, p, p, p)));
    show(cards.get());
    expectWraps(cards->flow(), cards->flow()->geometry().marginsRemoved(PresetCardsView::room()));
}

TEST(ShelfHeaderTest, ShowsThePresetsNameAndALongOneIsCutNotTheBadge) {
    ShelfHeader header;
    Preset preset;
    preset.name = std::string(200, 'W');
    header.setPreset(preset);
    header.resize(400, header.sizeHint().height());
    header.show();
    QCoreApplication::processEvents();
    const QRect badge = header.badge()->geometry();
    EXPECT_TRUE(header.nameLabel()->text() == QString(200, 'W') && header.nameLabel()->shownText().endsWith(QStringLiteral("…")) &&
                badge.right() == header.width() - 1 && header.editButton()->geometry().right() < badge.left());
}

// Light and dark: at rest, then with a hovered tile and card and a tile dragged over another; the
// hovered faces, the drop bar and the active card's ring show in pixels. In the gap to the left of
// a tile (where the drop bar stands) the tile is not hovered; a hovered tile's badge removes it.
TEST_F(ShelfAndCardsTest, TheShelfAndTheCardsShowRestHoverAndDropInPixels) {
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        Palette::setDarkOverride(dark);
        setDock(4);
        addPresets({"Focus"});
        addPresets({"Design and illustration studio"}, {"com.b", "com.c"});
        model->activate(0);
        show(shelf.get());
        show(cards.get());
        ShelfTile *hovered = shelf->tiles()[1], *target = shelf->tiles()[3];
        PresetCard *active = cards->cards()[0], *other = cards->cards()[2];
        const QPointF face = hovered->keyRect().topLeft() + QPointF(6, 38);  // beside the icon
        const QPointF bar(target->visibleRect().left() - 7, target->keyRect().center().y());
        const QRectF ring = active->restingFaceRect();
        // The shelf's well, the hovered tile's face, the drop bar, the active card's ring, the other card's face.
        auto looks = [&](const QString& name, bool hovering) {
            const QImage s = shoot(shelf.get(), QStringLiteral("shelf") + name), c = shoot(cards.get(), QStringLiteral("cards") + name);
            const QColor face2 = hovering ? Palette::raisedHover() : Palette::raised();
            return std::tuple(near(colorIn(s, shelf.get(), shelf.get(), QPointF(10, shelf->height() / 2.0)), Palette::well()),
                              near(colorIn(s, shelf.get(), hovered, face), face2, 2), near(colorIn(s, shelf.get(), target, bar), Palette::accent(), 12),
                              near(colorIn(c, cards.get(), active, QPointF(ring.left() + 1, ring.center().y())), Palette::accent(), 12),
                              near(colorIn(c, cards.get(), other, other->restingFaceRect().center()), face2, hovering ? 2 : 4));
        };
        EXPECT_EQ(looks("", false), std::tuple(true, true, false, true, true));
        hover(hovered, true, hovered->keyRect().center());
        hover(other, true, other->restingFaceRect().center());
        dragAndDrop(target, QStringLiteral("com.a"), target->rect().center(), false);
        EXPECT_EQ(looks("-hovered", true), std::tuple(true, true, true, true, true));
    }
    hover(tile("com.c"), true, QPointF(2, tile("com.c")->keyRect().center().y()));
    EXPECT_EQ(std::pair(tile("com.b")->isHovered(), tile("com.c")->isHovered()), std::pair(true, false));
    tile("com.b")->removeButton()->click();
    EXPECT_TRUE(order() == (Ids{"com.a", "com.c", "com.d"}) && !tile("com.b"));
}

// MARK: - The cards

// The tenth and later cards have no digit; Tab walks the cards in order and ends on the new-preset card.
TEST_F(ShelfAndCardsTest, OneCardPerPresetInOrderThenTheNewPresetCardAndOnlyTheActiveMarked) {
    for (int i = 1; i <= 10; ++i) addPresets({("P" + std::to_string(i)).c_str()});
    const std::vector<QWidget*> order = static_cast<AnimatedFlowLayout*>(cards->flow()->layout())->widgets();
    ASSERT_TRUE(cards->cards().size() == 11 && order.size() == 12 && order.back() == cards->newPresetCard());
    for (std::size_t i = 0; i < 11; ++i) {
        PresetCard* c = cards->cards()[i];
        EXPECT_EQ(std::tuple(order[i], c->preset().id, c->digitText(), c->isActive(), c->showsCurrentBadge()),
                  std::tuple((QWidget*)c, model->presets()[i].id, i < 9 ? QString::number(i + 1) : QString(), i == 10, i == 10));
    }
    show(cards.get());
    order[0]->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
}

// By a click or by the accessible press action: the preset becomes active on the same cards.
TEST_F(ShelfAndCardsTest, ACardActivatesItsPresetInPlaceAndIsOneAccessibleElement) {
    addPresets({"Work"});
    show(cards.get());
    PresetCard *home = cards->cards()[0], *work = cards->cards()[1];
    QAccessibleInterface *homeAccess = QAccessible::queryAccessibleInterface(home), *workAccess = QAccessible::queryAccessibleInterface(work);
    EXPECT_EQ(workAccess->text(QAccessible::Name), QStringLiteral("Work"));
    const std::function<void(PresetCard*)> roads[] = {
        [](PresetCard* c) { QTest::mouseClick(c, Qt::LeftButton, {}, c->restingFaceRect().center().toPoint()); },
        [](PresetCard* c) { actions(c)->doAction(QAccessibleActionInterface::pressAction()); }};
    for (const auto& road : roads) {
        model->activate(work->preset());
        EXPECT_EQ(std::pair(bool(workAccess->state().selected), bool(homeAccess->state().selected)), std::pair(true, false));
        road(home);
        EXPECT_EQ(std::tuple(model->activeID(), cards->cards(), home->isActive(), bool(homeAccess->state().selected), work->isActive(),
                             bool(workAccess->state().selected)), std::tuple("default", std::vector{home, work}, true, true, false, false));
    }
}

// Hovering shows the delete button on other presets only; the active one gives it its badge's
// corner. Asking to delete the default preset by any road shows nothing.
TEST_F(ShelfAndCardsTest, TheMenuEditsAndNoRoadOffersToDeleteTheDefaultPreset) {
    addPresets({"Work"});
    show(cards.get());
    PresetCard *home = cards->cards()[0], *work = cards->cards()[1];
    EXPECT_EQ(actionTexts(std::unique_ptr<QMenu>(home->makeContextMenu(nullptr)).get()), QStringList{Localization::tr("preset.edit")});
    work->setFocus(Qt::TabFocusReason);
    QTest::keyClick(work, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(actionTexts(menu), (QStringList{Localization::tr("preset.edit"), Localization::tr("preset.delete.confirm")}));
    menu->actions().first()->trigger(), menu->close();
    ASSERT_EQ(editorModes.size(), 1u);
    EXPECT_EQ(std::pair(editorModes[0].kind, editorModes[0].preset.value_or(Preset()).id), std::pair(PresetEditorMode::Kind::details, work->preset().id));

    hover(work, true);
    EXPECT_EQ(std::pair(work->deleteButton()->isVisibleTo(work), work->showsCurrentBadge()), std::pair(true, false));
    hover(work, false);
    EXPECT_EQ(std::pair(work->showsDeleteButton(), work->showsCurrentBadge()), std::pair(false, true));
    model->activate(model->presets()[0]);
    hover(home, true);
    EXPECT_EQ(std::pair(home->deleteButton()->isVisibleTo(home), home->showsCurrentBadge()), std::pair(false, true));

    home->setFocus();
    QTest::keyClick(home, Qt::Key_Delete);
    cards->confirmDelete(model->presets()[0]);
    EXPECT_TRUE(!cards->deleteAlert() && model->presets().size() == 2);
}

// Every road to deleting asks first; only the confirming button deletes.
TEST_F(ShelfAndCardsTest, DeletingAsksFirstAndDeletesOnlyOnConfirmation) {
    const std::pair<const char*, std::function<void(PresetCard*)>> roads[] = {
        {"menu", [](PresetCard* c) { std::unique_ptr<QMenu>(c->makeContextMenu(nullptr))->actions().last()->trigger(); }},
        {"Delete key", [](PresetCard* c) { c->setFocus(Qt::TabFocusReason), QTest::keyClick(c, Qt::Key_Delete); }},
        {"hover button", [](PresetCard* c) { hover(c, true), c->deleteButton()->click(); }}};
    addPresets({"Work", "Play"});
    show(cards.get());
    for (bool confirm : {false, true}) {
        for (const auto& [name, road] : roads) {
            SCOPED_TRACE(std::string(name) + (confirm ? " confirmed" : " cancelled"));
            if (!card("Work")) addPresets({"Work"});
            const std::string workID = card("Work")->preset().id;
            road(card("Work"));
            QMessageBox* alert = cards->deleteAlert();
            ASSERT_NE(alert, nullptr);
            EXPECT_EQ(std::pair(alert->text(), cards->presetToDelete().value_or(Preset()).id),
                      std::pair(Localization::format("preset.delete.title", QStringLiteral("Work")), workID));
            const QList<QAbstractButton*> buttons = alert->buttons();
            auto yes = std::ranges::find(buttons, QMessageBox::DestructiveRole, [&](auto* b) { return alert->buttonRole(b); });
            ASSERT_NE(yes, buttons.end());
            if (confirm) (*yes)->click();
            else QTest::keyClick(alert, Qt::Key_Escape);
            EXPECT_FALSE(cards->deleteAlert() || cards->presetToDelete());
            EXPECT_EQ(std::tuple(model->presets().size(), card("Work") != nullptr, card("Play") != nullptr), std::tuple(3 - confirm, !confirm, true));
        }
    }
}

// One application reads "one"; removing an application from the active preset updates its card in place.
TEST_F(ShelfAndCardsTest, TheApplicationCountReadsOneOrTheNumberAndFollowsTheActivePreset) {
    addPresets({"Solo"}, {"com.b"});
    addPresets({"Trio"}, {"com.a", "com.b", "com.c"});
    const QString one = Localization::tr("preset.apps.one");
    EXPECT_EQ(std::tuple(card("Solo")->appCountText(), card("Trio")->appCountText(), PresetCard::appCountText(0)),
              std::tuple(one, Localization::format("preset.apps.other", 3), Localization::format("preset.apps.other", 0)));
    PresetCard* trio = card("Trio");
    model->removeApp("com.a"), model->removeApp("com.b");
    EXPECT_TRUE(card("Trio") == trio && trio->appCountText() == one);
}

// A card that changes place sets off from where it was; with reduce motion, the next change puts
// it in its place at once, even mid-way.
TEST_F(ShelfAndCardsTest, CardsThatChangePlaceGlideUnlessMotionIsReduced) {
    addPresets({"One", "Two", "Three"});
    show(cards.get());
    AnimatedFlowLayout* flow = cards->flowLayout();
    PresetCard* three = card("Three");
    const QPoint slot1 = cards->cards()[1]->pos(), slot2 = cards->cards()[2]->pos(), before = three->pos();
    model->deletePreset(card("One")->preset());
    flow->activate();
    EXPECT_EQ(std::tuple(card("Three"), flow->isMoving(three), flow->destination(three), three->pos()), std::tuple(three, true, slot2, before));
    ReduceMotion::setOverride(true);
    model->deletePreset(card("Two")->preset());
    flow->activate();
    EXPECT_EQ(std::tuple(cards->cards()[1], flow->isMoving(three), three->pos()), std::tuple(three, false, slot1));
}

// MARK: - The editor sheet

using Selection = std::set<std::string>;

class PresetEditorTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), spacerTile(3), appTile("com.c", 4)});
        installed = {PresetApp("org.mozilla.firefox", "/Applications/Firefox.app", "Firefox"),
                     PresetApp("com.apple.Safari", "/Applications/Safari.app", "Safari"),
                     PresetApp("com.apple.Notes", "/System/Applications/Notes.app", "Notes")};
    }
    void TearDown() override { editor.reset(), model.reset(), Palette::setDarkOverride(std::nullopt); }
    AppModel& ensureModel() { return model ? *model : (model = build(), model->reload(), *model); }
    PresetEditor& open(PresetEditorMode mode, bool show = false, bool drain = false) {
        editor = std::make_unique<PresetEditor>(ensureModel(), std::move(mode));
        if (show) editor->show();
        if (drain) executors.drain();
        return *editor;
    }

    template <typename T = QWidget>
    T* child(const char* name) const { return editor->findChild<T*>(QString::fromLatin1(name)); }
    QLineEdit* nameField() const { return child<QLineEdit>("nameField"); }
    KeyButton* button(const char* name) const { return child<KeyButton>(name); }
    PaletteLabel* note() const { return child<PaletteLabel>("footerNote"); }
    void typeName(const QString& text) { nameField()->clear(), QTest::keyClicks(nameField(), text); }
    void tick(const char* id) { editor->tileFor(id)->click(); }
    bool ticked(const char* id) { return editor->tileFor(id)->isSelected(); }

    // The ids of the tiles shown in the picker, in reading order.
    Ids shownTileIDs() const {
        QList<AppPickTile*> tiles = editor->findChildren<AppPickTile*>();
        tiles.removeIf([](AppPickTile* t) { return t->isHidden(); });
        std::ranges::sort(tiles, {}, [](AppPickTile* t) { return std::pair(t->y(), t->x()); });
        Ids ids;
        for (auto* tile : tiles) ids.push_back(tile->app().id);
        return ids;
    }
    const Preset* presetNamed(const std::string& name) const {
        auto found = std::ranges::find(model->presets(), name, &Preset::name);
        return found == model->presets().end() ? nullptr : &*found;
    }

    std::unique_ptr<PresetEditor> editor;
};

TEST_F(PresetEditorTest, DetailsShowOnlyNameAndEmojiNeedNoScanAcceptTheirOwnNameAndKeepThePickedEmoji) {
    ASSERT_TRUE(ensureModel().createPreset("Music", std::string("\U0001F680"), {"com.a"}) && model->createPreset("Plain", "", {"com.a"}));
    auto& sheet = open(PresetEditorMode::details(*presetNamed("Music")));
    // The emoji is the picked one, not the name's default headphones.
    EXPECT_EQ(std::tuple(child("picker"), nameField()->text(), sheet.picked().has_value(), sheet.emoji()), std::tuple(nullptr, QStringLiteral("Music"), true, "\U0001F680"));
    // The height is the content's: the save key's visible bottom sits on the bottom padding.
    KeyButton* save = button("saveButton");
    EXPECT_EQ(std::pair(sheet.height() - (save->geometry().bottom() + 1 - save->room().bottom()), executors.background->jobs.size()),
              std::pair(PresetEditor::padding, 0ul)) << "no scan";
    // Its own name is fine, another preset's is not.
    for (const auto& [name, free] : {std::pair(QString(" Music "), true), {QString::fromStdString(model->presets()[0].name), false}, {"Evening music", true}}) {
        typeName(name);
        EXPECT_EQ(std::pair(save->isEnabled(), note()->isHidden()), std::pair(free, free)) << name.toStdString();
    }
    save->click();
    ASSERT_TRUE(sheet.result() == QDialog::Accepted && presetNamed("Evening music") && !presetNamed("Music"));
    EXPECT_EQ(presetNamed("Evening music")->emoji, std::optional<std::string>("\U0001F680"));
    // A preset without an emoji starts with nothing picked and shows its name's default.
    auto& plain = open(PresetEditorMode::details(*presetNamed("Plain")));
    EXPECT_EQ(std::pair(plain.picked().has_value(), plain.emoji()), std::pair(false, PresetStyle::defaultEmoji("Plain")));
}

// Creating starts empty with the name focused; adding starts with the active preset's apps ticked.
// Both scan and list installed, Dock and preset apps once each, by name.
TEST_F(PresetEditorTest, PickingModesStartTheScanTickTheActiveAppsWhenAddingAndListEveryAppOnce) {
    for (bool adding : {false, true}) {
        SCOPED_TRACE(adding);
        editor.reset();
        auto& sheet = open(adding ? PresetEditorMode::addApps() : PresetEditorMode::create());
        EXPECT_EQ(std::tuple(model->scanningApps(), executors.background->jobs.size(), sheet.selection()),
                  std::tuple(true, 1ul, adding ? Selection{"com.a", "com.b", "com.c"} : Selection{}));
        QWidget* focus = adding ? child("searchField") : nameField();
        EXPECT_EQ(std::tuple(nameField() != nullptr, child("emojiKey") != nullptr, sheet.focusWidget() == focus, button("saveButton")->isEnabled()),
                  std::tuple(!adding, !adding, !adding, adding));
        executors.drain();
        EXPECT_EQ(std::tuple(model->scanningApps(), shownTileIDs(), ticked("com.b"), ticked("com.apple.Notes")),
                  std::tuple(false, Ids{"com.a", "com.b", "com.c", "org.mozilla.firefox", "com.apple.Notes", "com.apple.Safari"}, adding, false));
    }
    tick("com.b");
    tick("com.apple.Notes");
    EXPECT_EQ(child<PaletteLabel>("selectedCount")->text(), Localization::format("editor.selected", 3));
    button("saveButton")->click();
    EXPECT_EQ(std::pair(editor->result(), appIDs(model->activePreset()->apps)), std::pair(int(QDialog::Accepted), Ids{"com.a", "com.c", "com.apple.Notes"}));
}

TEST_F(PresetEditorTest, AddAppsFollowsAPresetActivatedWhileTheSheetIsOpen) {
    ASSERT_TRUE(ensureModel().createPreset("Solo", std::nullopt, {"com.c"}));  // becomes active
    auto& sheet = open(PresetEditorMode::addApps(), false, true);
    EXPECT_EQ(sheet.selection(), Selection{"com.c"});
    tick("com.apple.Notes");
    // The key panel switches back to the default preset; Save must not give it Solo's apps.
    model->activate(model->presets()[0]);
    EXPECT_EQ(std::tuple(sheet.selection(), ticked("com.a"), ticked("com.apple.Notes")), std::tuple(Selection{"com.a", "com.b", "com.c"}, true, false));
    button("saveButton")->click();
    EXPECT_EQ(std::pair(appIDs(model->presets()[0].apps), appIDs(presetNamed("Solo")->apps)), std::pair(Ids{"com.a", "com.b", "com.c"}, Ids{"com.c"}));
}

// With applications ticked, only the name decides; a taken one is explained.
TEST_F(PresetEditorTest, SaveNeedsANonBlankUnusedNameAndExplainsATakenOne) {
    auto& sheet = open(PresetEditorMode::create());
    button("fromDockButton")->click();
    const std::string taken = model->presets()[0].name;
    const std::tuple<QString, std::string, bool, const char*> rows[] = {
        {"", "", false, "editor.create.note"}, {"   ", "", false, "editor.create.note"},
        {QString::fromStdString(taken), taken, false, "editor.nameTaken"}, {"  Evening  ", "Evening", true, "editor.create.note"}};
    for (const auto& [typed, trimmed, saves, text] : rows) {
        typeName(typed);
        EXPECT_EQ(std::tuple(sheet.trimmedName(), button("saveButton")->isEnabled(), note()->isHidden() ? QString() : note()->text()),
                  std::tuple(trimmed, saves, Localization::tr(text)));
    }
}

// A failed save leaves the sheet open with its contents.
TEST_F(PresetEditorTest, CreateNeedsATickedAppAndReturnStoresThePresetWithTheShownEmojiOnceSavingWorks) {
    auto& sheet = open(PresetEditorMode::create(), true, true);
    typeName("Work stuff");
    KeyButton* save = button("saveButton");
    QTest::keyClick(nameField(), Qt::Key_Return);  // Save is disabled, so Return does nothing
    EXPECT_TRUE(sheet.isVisible());
    for (bool on : {true, false, true}) {
        tick("com.apple.Safari");
        EXPECT_EQ(std::pair(save->isEnabled(), sheet.selection().size()), std::pair(on, size_t(on)));
    }
    tick("com.b");
    system->log.failOn("save");
    save->click();
    EXPECT_EQ(std::tuple(sheet.isVisible(), model->errorMessage().has_value(), nameField()->text(), sheet.selection()),
              std::tuple(true, true, QStringLiteral("Work stuff"), Selection{"com.b", "com.apple.Safari"}));
    system->log.clearFailures();
    // The failed attempt may have kept the preset in memory; a different name then saves.
    if (sheet.nameTaken()) typeName("Work stuff 2");
    nameField()->setFocus();
    QTest::keyClick(nameField(), Qt::Key_Return);
    const Preset* created = presetNamed(sheet.trimmedName());
    ASSERT_TRUE(sheet.result() == QDialog::Accepted && !sheet.isVisible() && created);
    EXPECT_EQ(std::tuple(created->emoji, appIDs(created->apps), model->activeID()),
              std::tuple(std::optional<std::string>("\U0001F4BC"), Ids{"com.b", "com.apple.Safari"}, created->id));
}

TEST_F(PresetEditorTest, TheDefaultEmojisChipIsHighlightedAndFollowsTheNameUntilOneIsPicked) {
    auto& sheet = open(PresetEditorMode::create());
    const auto chips = sheet.findChildren<EmojiChip*>();
    ASSERT_EQ(chips.size(), qsizetype(PresetStyle::emojiChoices.size()));
    const QString rocket = QStringLiteral("\U0001F680");
    const std::tuple<QString, bool, QString> rows[] = {
        {"", false, QString::fromStdString(PresetStyle::defaultEmoji(""))},
        {"work", false, QStringLiteral("\U0001F4BC")},
        {"gaming", true, rocket},  // picked
        {"work", false, rocket},   // a name no longer changes it
        {"work", true, rocket}};    // clicking the highlighted chip again keeps it
    for (const auto& [name, pick, expected] : rows) {
        typeName(name);
        if (pick) (*std::ranges::find(chips, rocket, &EmojiChip::emoji))->click();
        QStringList highlighted;
        for (auto* chip : chips) if (chip->isHighlighted()) highlighted << chip->emoji();
        EXPECT_EQ(std::pair(highlighted, sheet.emoji()), std::pair(QStringList{expected}, expected.toStdString())) << name.toStdString();
    }
}

TEST_F(PresetEditorTest, SearchMatchesPartOfTheIdOrNameIgnoringCaseAndSurroundingSpaceAndReusesTheTiles) {
    auto& sheet = open(PresetEditorMode::create(), false, true);
    const auto tiles = sheet.findChildren<AppPickTile*>();
    auto* clearSearch = child<QAbstractButton>("searchClear");
    const Ids all = shownTileIDs();
    const std::pair<QString, Ids> rows[] = {
        {" MOZILLA ", {"org.mozilla.firefox"}}, {"not", {"com.apple.Notes"}}, {"com.apple.", {"com.apple.Notes", "com.apple.Safari"}}, {"   ", all}, {"zzz", {}}};
    for (const auto& [query, expected] : rows) {
        child<QLineEdit>("searchField")->setText(query);
        // No match says so.
        EXPECT_EQ(std::tuple(shownTileIDs(), sheet.filtered().size(), child("noResults")->isHidden()), std::tuple(expected, expected.size(), !expected.empty()))
            << query.toStdString();
    }
    // The clear button empties the search and brings back the very same tiles.
    clearSearch->click();
    EXPECT_TRUE(child<QLineEdit>("searchField")->text().isEmpty() && clearSearch->isHidden() && child("noResults")->isHidden());
    EXPECT_EQ(std::pair(shownTileIDs(), sheet.findChildren<AppPickTile*>()), std::pair(all, tiles));
}

TEST_F(PresetEditorTest, FromDockSelectsExactlyTheDockAppsClearEmptiesAndTilesTellTheirState) {
    auto& sheet = open(PresetEditorMode::create(), false, true);
    KeyButton* clear = button("clearButton");
    EXPECT_FALSE(clear->isEnabled());
    for (const char* id : {"com.apple.Safari", "com.b"}) tick(id);
    EXPECT_TRUE(clear->isEnabled());
    button("fromDockButton")->click();
    EXPECT_EQ(std::tuple(sheet.selection(), ticked("com.apple.Safari"), ticked("com.c")), std::tuple(Selection{"com.a", "com.b", "com.c"}, false, true));
    clear->click();
    EXPECT_FALSE(!sheet.selection().empty() || clear->isEnabled() || ticked("com.a"));
    // Tiles mark the Dock's apps.
    EXPECT_EQ(std::pair(sheet.tileFor("com.a")->isInDock(), sheet.tileFor("com.apple.Notes")->isInDock()), std::pair(true, false));
}

// While the scan runs with nothing to show, only the centred indicator shows; with Dock apps to
// show, the small one in the corner; an empty result says so.
TEST_F(PresetEditorTest, TheScanningIndicatorsAndTheNoResultsTextShowByWhatThereIsToShow) {
    const std::vector<PresetApp> everyApp = installed;
    auto shows = [&] {
        return std::tuple(shownTileIDs().size(), child("pickerProgress")->isVisible(), child("pickerCornerProgress")->isVisible(),
                          child("noResults")->isVisible());
    };
    const struct { const char* name; bool dock; std::size_t installed, before, after; bool progress, corner; } rows[] = {{"nothing yet", false, 1, 0, 1, true, false}, {"nothing at all", false, 0, 0, 0, true, false}, {"Dock apps", true, 3, 3, 6, false, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        editor.reset(), model.reset();
        system = std::make_shared<FakeSystem>();
        system->setDock(r.dock ? std::vector{appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 4)} : std::vector<plist::Dictionary>{});
        installed.assign(everyApp.begin(), everyApp.begin() + r.installed);
        open(r.dock ? PresetEditorMode::addApps() : PresetEditorMode::create(), true);
        EXPECT_EQ(shows(), std::tuple(r.before, r.progress, r.corner, false));
        executors.drain();
        EXPECT_EQ(shows(), std::tuple(r.after, false, false, r.after == 0));
    }
}

// Escape, in the sheet or in the search field, and Cancel store nothing; closing in any way, even
// before the scan delivered (the late result is dropped), releases the scan.
TEST_F(PresetEditorTest, EscapeCancelAndClosingStoreNothingAndReleaseTheScan) {
    const auto presets = ensureModel().presets();
    const int saves = system->saves;
    const std::tuple<PresetEditorMode, bool, std::function<void()>> rows[] = {
        {PresetEditorMode::addApps(), true, [&] { tick("com.a"), QTest::keyClick(editor.get(), Qt::Key_Escape); }},
        {PresetEditorMode::create(), false, [&] { QTest::keyClicks(child("searchField"), "saf"), QTest::keyClick(child("searchField"), Qt::Key_Escape); }},
        {PresetEditorMode::details(presets[0]), false, [&] { typeName("Renamed"), button("cancelButton")->click(); }},
        {PresetEditorMode::create(), true, [&] { editor->reject(); }},
        {PresetEditorMode::create(), true, [&] { editor.reset(); }}};  // destroyed while open
    for (const auto& [mode, delivered, close] : rows) {
        SCOPED_TRACE(mode.identifier().toStdString() + (delivered ? " delivered" : ""));
        open(mode, true, delivered);
        EXPECT_EQ(model->installedApps().size(), delivered ? 3u : 0u);
        close();
        if (editor) { EXPECT_EQ(std::pair(editor->result(), editor->isVisible()), std::pair(int(QDialog::Rejected), false)); }
        executors.drain();
        EXPECT_FALSE(!model->installedApps().empty() || model->scanningApps());
    }
    EXPECT_EQ(std::pair(model->presets(), system->saves), std::pair(presets, saves));
}

TEST_F(PresetEditorTest, TabVisitsTheTilesInGridOrderBetweenTheSelectionKeysAndTheFooter) {
    // Dock apps get their tiles before the scan delivers; the order must still be the grid's.
    open(PresetEditorMode::create(), false, true);
    Ids visited;
    QWidget* w = button("clearButton");
    for (int guard = 0; guard < 100; ++guard) {
        w = w->nextInFocusChain();
        if (auto* tile = qobject_cast<AppPickTile*>(w)) visited.push_back(tile->app().id);
        else if (w->focusPolicy() & Qt::TabFocus) break;
    }
    EXPECT_EQ(visited, shownTileIDs());
    EXPECT_EQ(std::pair(w, w->nextInFocusChain()), std::pair((QWidget*)button("cancelButton"), (QWidget*)button("saveButton")));
}

// Light and dark, in each mode and state: the canvas inside its edge, its parts inside the padding
// and apart, and tiles that never overlap.
TEST_F(PresetEditorTest, TheEditorKeepsItsPartsInsideThePaddingAndApartInEveryState) {
    system->setDock({appTile("com.example.app2", 1), appTile("com.example.app5", 2), appTile("com.example.app7", 3)});
    installed.clear();
    for (int i = 0; i < 40; ++i) installed.emplace_back("com.example.app" + std::to_string(i), "/Applications/App.app", "App number " + std::to_string(i));
    ASSERT_TRUE(ensureModel().createPreset("Music", std::nullopt, {"com.example.app2"}));
    const auto details = PresetEditorMode::details(model->presets()[1]);
    const std::tuple<const char*, PresetEditorMode, std::function<void()>> rows[] = {
        {"create", PresetEditorMode::create(), [&] { executors.drain(), typeName("Deep work"), tick("com.example.app3"); }},
        {"add-scanning", PresetEditorMode::addApps(), [] {}},
        {"add-search", PresetEditorMode::addApps(), [&] { executors.drain(), child<QLineEdit>("searchField")->setText("1"); }},
        {"add-no-results", PresetEditorMode::addApps(), [&] { executors.drain(), child<QLineEdit>("searchField")->setText("zz"); }},
        {"details", details, [] {}},
        {"details-taken", details, [&] { nameField()->setText(QString::fromStdString(model->presets()[0].name)); }}};
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        for (const auto& [name, mode, act] : rows) {
            SCOPED_TRACE(std::string(name) + (dark ? " dark" : " light"));
            editor.reset();
            open(mode, true);
            act();
            const QImage image = shoot(editor.get(), QStringLiteral("editor-") + name);
            EXPECT_EQ(QColor(image.pixel(3, 3)).rgb(), Palette::canvas().rgb());
            const int p = PresetEditor::padding;
            expectApart(editor->findChildren<QWidget*>(Qt::FindDirectChildrenOnly), editor->rect().marginsRemoved(QMargins(p, p, p, p)));
            const auto tiles = editor->findChildren<AppPickTile*>();
            if (!tiles.empty()) expectApart(tiles, tiles[0]->parentWidget()->rect());
        }
    }
}

// MARK: - The tile and the chip on their own

class AppPickTileTest : public ::testing::Test {
protected:
    void SetUp() override { Palette::setDarkOverride(false); }
    void TearDown() override { Palette::setDarkOverride(std::nullopt); }
    // Icons all green, counting the calls.
    AppPickTile::IconSource source() {
        auto draw = [this](QPainter& painter) { painter.fillRect(0, 0, 44, 44, green); };
        return [this, draw](const PresetApp&) { return ++iconCalls, renderWith(QSize(44, 44), draw, 2); };
    }
    int iconCalls = 0;
    const QColor green{0x20, 0xA0, 0x60};
};

TEST_F(AppPickTileTest, NamesTakeAtMostTwoLinesAndLongOnesEndInAnEllipsis) {
    const std::tuple<std::string, int, bool> rows[] = {{"Mail", 1, false},
        {"An Application With A Remarkably Long Name That Cannot Fit", 2, true},
        {"Supercalifragilisticexpialidocious", 2, true}};  // one word longer than the box is broken over both lines
    for (const auto& [name, count, ellipsis] : rows) {
        const QStringList lines = AppPickTile(PresetApp("com.x", "", name), source()).nameLines();
        EXPECT_EQ(std::pair(int(lines.size()), lines.last().endsWith(QChar(0x2026))), std::pair(count, ellipsis)) << name;
        for (const QString& line : lines) EXPECT_LE(QFontMetricsF(AppPickTile::nameFont()).horizontalAdvance(line), AppPickTile::width + 0.5);
    }
}

TEST_F(AppPickTileTest, FetchesItsIconOnceWhenFirstPaintedAndAgainOnlyForANewPath) {
    AppPickTile tile(PresetApp("com.x", "/Applications/X.app", "X"), source());
    EXPECT_EQ(iconCalls, 0);
    const QImage first = renderWidget(tile);
    renderWidget(tile);
    EXPECT_EQ(iconCalls, 1);
    // The icon is drawn 36 × 36 in the middle of the key.
    const QPointF centre = tile.keyRect().center();
    EXPECT_EQ(countNear(first.copy(QRectF(centre - QPointF(18, 18), QSizeF(36, 36)).toAlignedRect()), green, 24), 36 * 36);
    EXPECT_EQ(countNear(first.copy(QRectF(centre - QPointF(20, 20), QSizeF(40, 40)).toAlignedRect()), green, 24), 36 * 36);
    for (const auto& [path, calls] : {std::pair("/Applications/X.app", 1), std::pair("/Applications/Other/X.app", 2)}) {
        tile.setApp(PresetApp("com.x", path, "X renamed"));
        renderWidget(tile);
        EXPECT_EQ(iconCalls, calls) << path;
    }
    EXPECT_EQ(tile.accessibleName(), QStringLiteral("X renamed"));
}

TEST_F(AppPickTileTest, SelectionRingsAndBadgesTheKeyAndTheInDockLabelShowsOnlyForDockApps) {
    AppPickTile tile(PresetApp("com.x", "", "X"), source());
    int toggles = 0;
    tile.onToggle = [&] { ++toggles; };
    const QRectF key = tile.keyRect();
    const QRectF badge(key.right() + 5 - 18, key.top() - 5, 18, 18);
    const QSize size = tile.sizeHint();
    EXPECT_EQ(countNear(renderWidget(tile).copy((badge | tile.inDockRect()).toAlignedRect()), Palette::accent(), 24), 0);
    // Only the key takes clicks, and a click asks: it does not tick the tile by itself.
    QTest::mouseClick(&tile, Qt::LeftButton, {}, tile.nameRect().center().toPoint());
    QTest::mouseClick(&tile, Qt::LeftButton, {}, key.center().toPoint());
    EXPECT_EQ(std::pair(toggles, tile.isSelected()), std::pair(1, false));
    tile.setSelected(true);
    tile.setInDock(true);
    // The in-Dock label keeps its place.
    EXPECT_EQ(std::pair(tile.isChecked(), tile.sizeHint()), std::pair(true, size));
    const QImage selected = renderWidget(tile);
    EXPECT_GT(countNear(selected.copy(badge.toAlignedRect()), Palette::accent(), 24), 150);  // most of an 18-point disc
    EXPECT_GT(countNear(selected.copy(badge.adjusted(5, 5, -5, -5).toAlignedRect()), Palette::onAccent(), 24), 3);  // the check mark
    // The ring runs along the key's left edge.
    EXPECT_GT(countNear(selected.copy(QRectF(key.left(), key.center().y() - 10, 2, 20).toAlignedRect()), Palette::accent(), 24), 30);
    EXPECT_GT(countNear(selected.copy(tile.inDockRect().toAlignedRect()), Palette::accent(), 60), 5);
}

TEST(EmojiChipTest, HighlightFillsAndOutlinesTheFrameInAccentAndOnlyTheOwnerSetsIt) {
    Palette::setDarkOverride(true);
    EmojiChip chip(QStringLiteral("\U0001F680"));
    const QRectF frame = chip.frameRect();
    const QRectF edge(frame.left(), frame.center().y() - 6, 1, 12);
    EXPECT_EQ(countNear(renderWidget(chip).copy(edge.toAlignedRect()), Palette::accent(), 40), 0);
    chip.setHighlighted(true);
    const QImage lit = renderWidget(chip);
    // The 1.5-point outline at the left edge; the 18 % fill just inside it.
    EXPECT_GT(countNear(lit.copy(edge.toAlignedRect()), Palette::accent(), 40), 8);
    EXPECT_NEAR(QColor::fromRgba(lit.pixel(int(frame.left()) + 4, int(frame.top()) + 4)).alphaF(), 0.18, 0.02);
    Palette::setDarkOverride(std::nullopt);
    // A click reports; it does not toggle the highlight by itself.
    for (bool highlighted : {true, false}) {
        chip.setHighlighted(highlighted);
        QTest::mouseClick(&chip, Qt::LeftButton, {}, frame.center().toPoint());
        EXPECT_EQ(chip.isHighlighted(), highlighted);
    }
}

}  // namespace
