// The settings window, its root view and its furniture, driven through the real widgets over the
// model's recording fakes: which parts show when, what their controls do, and the window's life; and
// the pieces under its layout: wrapping text, text sizes, and where the more popover goes.
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
    for (const auto& [name, widget] : parts)
        if (shown(widget)) names += (names.empty() ? "" : " ") + std::string(name);
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
        for (KeyCap* cap : row().keyCaps())
            if (shown(cap)) caps << cap->text();
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
                  std::tuple(visibleRect(view->presetCards()).bottom() + 1 + SettingsView::contentPadding().bottom(),
                             std::max(0, needed - scroll->viewport()->height()), view->height() - 1)) << size.height();
        EXPECT_LE(view->content()->width(), scroll->viewport()->width());
    }
}

TEST_F(SettingsViewTest, EveryRoadOpensOneEditorSheetAtATimeWhichClearsWhenItCloses) {
    open();
    ASSERT_TRUE(shown(view->shelfSection()));
    const std::pair<const char*, std::function<void()>> roads[] = {
        {"create", [&] { view->presetCards()->onEditor(PresetEditorMode::create()); }},
        {"details-default", [&] { view->shelfHeader()->onEdit(); }},
        {"addApps", [&] { view->shelf()->onAddApps(); }},
    };
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
        {[&] { clickKey(row().changeButton()); }, "unavailable Ctrl+Alt+D"},
    };
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
        EXPECT_FALSE(model->errorMessage() || view->errorBanner());
        ASSERT_TRUE(banner && presence->state() == QAbstractAnimation::Running);
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
    EXPECT_EQ(std::tuple(hotKeys.live.size(), center->isRegistered(), center->spec()), std::tuple(1u, true, HotKeySpec::defaultSpec()));
    EXPECT_EQ(std::tuple(dockWrites(), tileIDs(system->dockTiles()), scheduler->isScheduled()), std::tuple(1, Ids{"com.a", "com.c"}, false))
        << "written without waiting for the debounce";
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

}  // namespace
