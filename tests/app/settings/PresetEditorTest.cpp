// The preset editor sheet driven through its real widgets, over an AppModel on the fake Dock, and
// its building blocks on their own: the app tile of the picker and the emoji chip.
#include "tests/app/settings/SettingsViewTestSupport.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

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

TEST_F(PresetEditorTest, CreateNeedsATickedAppAndReturnStoresThePresetWithTheShownEmoji) {
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
    nameField()->setFocus();
    QTest::keyClick(nameField(), Qt::Key_Return);
    const Preset* created = presetNamed("Work stuff");
    ASSERT_TRUE(sheet.result() == QDialog::Accepted && !sheet.isVisible() && created);
    EXPECT_EQ(std::tuple(created->emoji, appIDs(created->apps), model->activeID()),
              std::tuple(std::optional<std::string>("\U0001F4BC"), Ids{"com.b", "com.apple.Safari"}, created->id));
}

TEST_F(PresetEditorTest, AFailedSaveLeavesTheSheetOpenWithItsContents) {
    auto& sheet = open(PresetEditorMode::create(), true, true);
    typeName("Night");
    tick("com.a");
    system->log.failOn("save");
    button("saveButton")->click();
    EXPECT_EQ(std::tuple(sheet.isVisible(), model->errorMessage().has_value(), nameField()->text(), sheet.selection()),
              std::tuple(true, true, QStringLiteral("Night"), Selection{"com.a"}));
    system->log.clearFailures();
    // The failed attempt may have kept the preset in memory; a different name then saves.
    if (sheet.nameTaken()) typeName("Night 2");
    button("saveButton")->click();
    EXPECT_EQ(std::pair(sheet.isVisible(), sheet.result()), std::pair(false, int(QDialog::Accepted)));
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
        {"work", true, rocket},    // clicking the highlighted chip again keeps it
    };
    for (const auto& [name, pick, expected] : rows) {
        typeName(name);
        if (pick) (*std::ranges::find(chips, rocket, &EmojiChip::emoji))->click();
        QStringList highlighted;
        for (auto* chip : chips)
            if (chip->isHighlighted()) highlighted << chip->emoji();
        EXPECT_EQ(std::pair(highlighted, sheet.emoji()), std::pair(QStringList{expected}, expected.toStdString())) << name.toStdString();
    }
}

TEST_F(PresetEditorTest, SearchMatchesPartOfTheIdOrNameIgnoringCaseAndSurroundingSpaceAndReusesTheTiles) {
    auto& sheet = open(PresetEditorMode::create(), false, true);
    AppPickTile* safari = sheet.tileFor("com.apple.Safari");
    const auto tileCount = sheet.findChildren<AppPickTile*>().size();
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
    EXPECT_EQ(std::tuple(shownTileIDs(), sheet.tileFor("com.apple.Safari"), sheet.findChildren<AppPickTile*>().size()), std::tuple(all, safari, tileCount));
}

TEST_F(PresetEditorTest, FromDockSelectsExactlyTheDockAppsClearEmptiesAndTilesTellTheirState) {
    auto& sheet = open(PresetEditorMode::create(), false, true);
    KeyButton* clear = button("clearButton");
    EXPECT_FALSE(clear->isEnabled());
    tick("com.apple.Safari");
    tick("com.b");
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
        installed = everyApp;
        installed.resize(r.installed);
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
        {PresetEditorMode::create(), true, [&] { editor.reset(); }},  // destroyed while open
    };
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
    AppPickTile::IconSource source() {
        return [this](const PresetApp&) {
            QImage image = renderWith(QSize(44, 44), [](QPainter&) {}, 2);
            image.fill(green);
            return ++iconCalls, image;
        };
    }
    int iconCalls = 0;
    const QColor green{0x20, 0xA0, 0x60};
};

TEST_F(AppPickTileTest, NamesTakeAtMostTwoLinesAndLongOnesEndInAnEllipsis) {
    const std::tuple<std::string, int, bool> rows[] = {
        {"Mail", 1, false},
        {"An Application With A Remarkably Long Name That Cannot Fit", 2, true},
        {"Supercalifragilisticexpialidocious", 2, true},  // one word longer than the box is broken over both lines
    };
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
