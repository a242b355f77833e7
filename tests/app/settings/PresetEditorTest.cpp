// The preset editor sheet driven through its real widgets, over an AppModel on the fake Dock, and
// its building blocks on their own: the app tile of the picker and the emoji chip.
#include "app/Localization.h"
#include "app/settings/AppPickTile.h"
#include "app/settings/EmojiChip.h"
#include "app/settings/PresetEditor.h"
#include "app/style/KeyButton.h"
#include "app/style/PaletteLabel.h"
#include "core/model/PresetStyle.h"
#include "tests/app/support/ModelFixture.h"

#include <QFontMetricsF>
#include <algorithm>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

using Ids = std::vector<std::string>;
using Selection = std::set<std::string>;

class PresetEditorTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), spacerTile(3), appTile("com.c", 4)});
        installed = {PresetApp("org.mozilla.firefox", "/Applications/Firefox.app", "Firefox"),
                     PresetApp("com.apple.Safari", "/Applications/Safari.app", "Safari"),
                     PresetApp("com.apple.Notes", "/System/Applications/Notes.app", "Notes")};
    }
    void TearDown() override { editor.reset(), model.reset(); }
    AppModel& ensureModel() {
        if (!model) model = build(), model->reload();
        return *model;
    }
    PresetEditor& open(PresetEditorMode mode, bool show = false) {
        editor = std::make_unique<PresetEditor>(ensureModel(), std::move(mode));
        if (show) editor->show();
        return *editor;
    }

    template <typename T = QWidget>
    T* child(const char* name) const { return editor->findChild<T*>(QString::fromLatin1(name)); }
    QLineEdit* nameField() const { return child<QLineEdit>("nameField"); }
    QLineEdit* searchField() const { return child<QLineEdit>("searchField"); }
    KeyButton* button(const char* name) const { return child<KeyButton>(name); }
    PaletteLabel* note() const { return child<PaletteLabel>("footerNote"); }
    void typeName(const QString& text) { nameField()->clear(), QTest::keyClicks(nameField(), text); }
    void click(const char* name) { button(name)->click(); }
    void tick(const char* id) { editor->tileFor(id)->click(); }

    // The ids of the tiles shown in the picker, in reading order.
    Ids shownTileIDs() const {
        std::vector<AppPickTile*> tiles;
        for (auto* tile : editor->findChildren<AppPickTile*>())
            if (!tile->isHidden()) tiles.push_back(tile);
        std::sort(tiles.begin(), tiles.end(), [](AppPickTile* a, AppPickTile* b) { return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x()); });
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
    ASSERT_TRUE(ensureModel().createPreset("Music", std::string("\U0001F680"), {"com.a"}));
    ASSERT_TRUE(model->createPreset("Plain", std::string(), {"com.a"}));
    auto& sheet = open(PresetEditorMode::details(*presetNamed("Music")));
    EXPECT_EQ(child("picker"), nullptr);
    EXPECT_EQ(nameField()->text(), QStringLiteral("Music"));
    ASSERT_TRUE(sheet.picked());
    EXPECT_EQ(sheet.emoji(), "\U0001F680");  // picked, not the name's default headphones
    // The height is the content's: the save key's visible bottom sits on the bottom padding.
    KeyButton* save = button("saveButton");
    EXPECT_EQ(sheet.height() - (save->geometry().bottom() + 1 - save->room().bottom()), PresetEditor::padding);
    EXPECT_TRUE(executors.background->jobs.empty()) << "no scan";

    // Its own name is fine, another preset's is not.
    const std::pair<QString, bool> names[] = {{" Music ", true}, {QString::fromStdString(model->presets()[0].name), false}, {"Evening music", true}};
    for (const auto& [name, free] : names) {
        typeName(name);
        EXPECT_EQ(save->isEnabled(), free) << name.toStdString();
        EXPECT_EQ(note()->isHidden(), free);
        if (!free) { EXPECT_EQ(note()->text(), Localization::tr("editor.nameTaken")); }
    }
    save->click();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    ASSERT_NE(presetNamed("Evening music"), nullptr);
    EXPECT_EQ(presetNamed("Evening music")->emoji, std::optional<std::string>("\U0001F680"));
    EXPECT_EQ(presetNamed("Music"), nullptr);

    // A preset without an emoji starts with nothing picked and shows its name's default.
    auto& plain = open(PresetEditorMode::details(*presetNamed("Plain")));
    EXPECT_FALSE(plain.picked());
    EXPECT_EQ(plain.emoji(), PresetStyle::defaultEmoji("Plain"));
}

TEST_F(PresetEditorTest, PickingModesStartTheScanAndListEveryAppOnce) {
    auto& sheet = open(PresetEditorMode::create());
    EXPECT_TRUE(model->scanningApps());
    EXPECT_EQ(executors.background->jobs.size(), 1u);
    EXPECT_TRUE(sheet.selection().empty());
    EXPECT_EQ(sheet.focusWidget(), nameField());
    executors.drain();
    EXPECT_FALSE(model->scanningApps());
    // Installed, Dock and preset apps, once each, by name.
    EXPECT_EQ(shownTileIDs(), (Ids{"com.a", "com.b", "com.c", "org.mozilla.firefox", "com.apple.Notes", "com.apple.Safari"}));
}

TEST_F(PresetEditorTest, AddAppsStartsWithTheActiveAppsTickedAndSavingStoresTheTicks) {
    auto& sheet = open(PresetEditorMode::addApps());
    EXPECT_EQ(sheet.selection(), (Selection{"com.a", "com.b", "com.c"}));
    EXPECT_EQ(nameField(), nullptr);
    EXPECT_EQ(child("emojiKey"), nullptr);
    EXPECT_NE(sheet.focusWidget(), searchField());
    EXPECT_TRUE(button("saveButton")->isEnabled());
    executors.drain();
    EXPECT_TRUE(sheet.tileFor("com.b")->isSelected());
    EXPECT_FALSE(sheet.tileFor("com.apple.Notes")->isSelected());
    tick("com.b");
    tick("com.apple.Notes");
    EXPECT_EQ(child<PaletteLabel>("selectedCount")->text(), Localization::format("editor.selected", 3));
    click("saveButton");
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(appIDs(model->activePreset()->apps), (Ids{"com.a", "com.c", "com.apple.Notes"}));
}

TEST_F(PresetEditorTest, AddAppsFollowsAPresetActivatedWhileTheSheetIsOpen) {
    ASSERT_TRUE(ensureModel().createPreset("Solo", std::nullopt, {"com.c"}));  // becomes active
    auto& sheet = open(PresetEditorMode::addApps());
    executors.drain();
    EXPECT_EQ(sheet.selection(), Selection{"com.c"});
    tick("com.apple.Notes");
    // The key panel switches back to the default preset; Save must not give it Solo's apps.
    model->activate(model->presets()[0]);
    EXPECT_EQ(sheet.selection(), (Selection{"com.a", "com.b", "com.c"}));
    EXPECT_TRUE(sheet.tileFor("com.a")->isSelected());
    EXPECT_FALSE(sheet.tileFor("com.apple.Notes")->isSelected());
    click("saveButton");
    EXPECT_EQ(appIDs(model->presets()[0].apps), (Ids{"com.a", "com.b", "com.c"}));
    EXPECT_EQ(appIDs(presetNamed("Solo")->apps), Ids{"com.c"});
}

// With applications ticked, only the name decides; a taken one is explained.
TEST_F(PresetEditorTest, SaveNeedsANonBlankUnusedNameAndExplainsATakenOne) {
    auto& sheet = open(PresetEditorMode::create());
    click("fromDockButton");
    const struct {
        QString typed;
        std::string trimmed;
        bool saves;
        const char* note;
    } rows[] = {
        {"", "", false, "editor.create.note"},
        {"   ", "", false, "editor.create.note"},
        {QString::fromStdString(model->presets()[0].name), model->presets()[0].name, false, "editor.nameTaken"},
        {"  Evening  ", "Evening", true, "editor.create.note"},
    };
    for (const auto& r : rows) {
        typeName(r.typed);
        EXPECT_EQ(sheet.trimmedName(), r.trimmed);
        EXPECT_EQ(button("saveButton")->isEnabled(), r.saves) << r.trimmed;
        EXPECT_FALSE(note()->isHidden());
        EXPECT_EQ(note()->text(), Localization::tr(r.note));
    }
}

TEST_F(PresetEditorTest, CreateNeedsATickedAppAndReturnStoresThePresetWithTheShownEmoji) {
    auto& sheet = open(PresetEditorMode::create(), true);
    executors.drain();
    typeName("Work stuff");
    KeyButton* save = button("saveButton");
    EXPECT_FALSE(save->isEnabled());
    QTest::keyClick(nameField(), Qt::Key_Return);  // Save is disabled, so Return does nothing
    EXPECT_TRUE(sheet.isVisible());
    for (bool ticked : {true, false}) {
        tick("com.apple.Safari");
        EXPECT_EQ(save->isEnabled(), ticked);
        EXPECT_EQ(sheet.selection().size(), size_t(ticked));
    }
    tick("com.apple.Safari");
    tick("com.b");
    nameField()->setFocus();
    QTest::keyClick(nameField(), Qt::Key_Return);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_FALSE(sheet.isVisible());
    const Preset* created = presetNamed("Work stuff");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->emoji, std::optional<std::string>("\U0001F4BC"));
    EXPECT_EQ(appIDs(created->apps), (Ids{"com.b", "com.apple.Safari"}));
    EXPECT_EQ(model->activeID(), created->id);
}

TEST_F(PresetEditorTest, AFailedSaveLeavesTheSheetOpenWithItsContents) {
    auto& sheet = open(PresetEditorMode::create(), true);
    executors.drain();
    typeName("Night");
    tick("com.a");
    system->log.failOn("save");
    click("saveButton");
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_TRUE(model->errorMessage().has_value());
    EXPECT_EQ(nameField()->text(), QStringLiteral("Night"));
    EXPECT_EQ(sheet.selection(), Selection{"com.a"});

    system->log.clearFailures();
    // The failed attempt may have kept the preset in memory; a different name then saves.
    if (sheet.nameTaken()) typeName("Night 2");
    click("saveButton");
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
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
        QStringList highlighted;
        for (auto* chip : chips)
            if (pick && chip->emoji() == rocket) chip->click();
        for (auto* chip : chips)
            if (chip->isHighlighted()) highlighted << chip->emoji();
        EXPECT_EQ(highlighted, QStringList{expected}) << name.toStdString();
        EXPECT_EQ(sheet.emoji(), expected.toStdString());
    }
}

TEST_F(PresetEditorTest, SearchMatchesPartOfTheIdOrNameIgnoringCaseAndSurroundingSpaceAndReusesTheTiles) {
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    AppPickTile* safari = sheet.tileFor("com.apple.Safari");
    const auto tileCount = sheet.findChildren<AppPickTile*>().size();
    auto* clearSearch = child<QAbstractButton>("searchClear");
    const Ids all = shownTileIDs();
    const std::pair<QString, Ids> rows[] = {
        {" MOZILLA ", {"org.mozilla.firefox"}},
        {"not", {"com.apple.Notes"}},
        {"com.apple.", {"com.apple.Notes", "com.apple.Safari"}},
        {"   ", all},
        {"zzz", {}},
    };
    for (const auto& [query, expected] : rows) {
        searchField()->setText(query);
        EXPECT_EQ(shownTileIDs(), expected) << query.toStdString();
        EXPECT_EQ(sheet.filtered().size(), expected.size());
        EXPECT_EQ(child("noResults")->isHidden(), !expected.empty()) << "no match says so";
    }
    // The clear button empties the search and brings back the very same tiles.
    clearSearch->click();
    EXPECT_TRUE(searchField()->text().isEmpty() && clearSearch->isHidden() && child("noResults")->isHidden());
    EXPECT_EQ(shownTileIDs(), all);
    EXPECT_EQ(sheet.tileFor("com.apple.Safari"), safari);
    EXPECT_EQ(sheet.findChildren<AppPickTile*>().size(), tileCount);
}

TEST_F(PresetEditorTest, FromDockSelectsExactlyTheDockAppsClearEmptiesAndTilesTellTheirState) {
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    KeyButton* clear = button("clearButton");
    EXPECT_FALSE(clear->isEnabled());
    tick("com.apple.Safari");
    tick("com.b");
    EXPECT_TRUE(clear->isEnabled());
    click("fromDockButton");
    EXPECT_EQ(sheet.selection(), (Selection{"com.a", "com.b", "com.c"}));
    EXPECT_FALSE(sheet.tileFor("com.apple.Safari")->isSelected());
    EXPECT_TRUE(sheet.tileFor("com.c")->isSelected());
    clear->click();
    EXPECT_TRUE(sheet.selection().empty());
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(sheet.tileFor("com.a")->isSelected());
    // Tiles mark the Dock's apps.
    EXPECT_TRUE(sheet.tileFor("com.a")->isInDock());
    EXPECT_FALSE(sheet.tileFor("com.apple.Notes")->isInDock());
}

// While the scan runs with nothing to show, only the centred indicator shows; with Dock apps to
// show, the small one in the corner; an empty result says so.
TEST_F(PresetEditorTest, TheScanningIndicatorsAndTheNoResultsTextShowByWhatThereIsToShow) {
    const std::vector<PresetApp> everyApp = installed;
    const struct {
        const char* name;
        bool dock;
        std::size_t installed;
        bool progress, corner;
        std::size_t shownBefore, shownAfter;
    } rows[] = {
        {"nothing yet", false, 1, true, false, 0, 1},
        {"nothing at all", false, 0, true, false, 0, 0},
        {"Dock apps", true, 3, false, true, 3, 6},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        editor.reset(), model.reset();
        system = std::make_shared<FakeSystem>();
        system->setDock(r.dock ? std::vector{appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 4)} : std::vector<plist::Dictionary>{});
        installed = everyApp;
        installed.resize(r.installed);
        open(r.dock ? PresetEditorMode::addApps() : PresetEditorMode::create(), true);
        EXPECT_EQ(shownTileIDs().size(), r.shownBefore);
        EXPECT_EQ(child("pickerProgress")->isVisible(), r.progress);
        EXPECT_EQ(child("pickerCornerProgress")->isVisible(), r.corner);
        EXPECT_FALSE(child("noResults")->isVisible());
        executors.drain();
        EXPECT_EQ(shownTileIDs().size(), r.shownAfter);
        EXPECT_FALSE(child("pickerProgress")->isVisible());
        EXPECT_FALSE(child("pickerCornerProgress")->isVisible());
        EXPECT_EQ(child("noResults")->isVisible(), r.shownAfter == 0);
    }
}

TEST_F(PresetEditorTest, EscapeAndCancelStoreNothing) {
    const auto presets = ensureModel().presets();
    const int saves = system->saves;
    const std::pair<PresetEditorMode, std::function<void()>> rows[] = {
        {PresetEditorMode::addApps(), [&] { executors.drain(), tick("com.a"), QTest::keyClick(editor.get(), Qt::Key_Escape); }},
        {PresetEditorMode::create(), [&] { QTest::keyClicks(searchField(), "saf"), QTest::keyClick(searchField(), Qt::Key_Escape); }},
        {PresetEditorMode::details(presets[0]), [&] { typeName("Renamed"), click("cancelButton"); }},
    };
    for (const auto& [mode, close] : rows) {
        auto& sheet = open(mode, true);
        close();
        EXPECT_EQ(sheet.result(), QDialog::Rejected) << mode.identifier().toStdString();
        EXPECT_FALSE(sheet.isVisible());
    }
    EXPECT_EQ(model->presets(), presets);
    EXPECT_EQ(system->saves, saves);
}

TEST_F(PresetEditorTest, ClosingReleasesTheScanInEveryWay) {
    const std::pair<bool, std::function<void()>> rows[] = {
        {true, [&] { editor->reject(); }},
        {true, [&] { editor.reset(); }},  // destroyed while open
        {false, [&] { editor->reject(); }},  // before the scan delivered: the late result is dropped
    };
    for (const auto& [delivered, close] : rows) {
        open(PresetEditorMode::create());
        if (delivered) executors.drain();
        EXPECT_EQ(model->installedApps().size(), delivered ? 3u : 0u);
        close();
        executors.drain();
        EXPECT_TRUE(model->installedApps().empty());
        EXPECT_FALSE(model->scanningApps());
    }
}

TEST_F(PresetEditorTest, TabVisitsTheTilesInGridOrderBetweenTheSelectionKeysAndTheFooter) {
    // Dock apps get their tiles before the scan delivers; the order must still be the grid's.
    open(PresetEditorMode::create());
    executors.drain();
    Ids visited;
    QWidget* w = button("clearButton");
    for (int guard = 0; guard < 100; ++guard) {
        w = w->nextInFocusChain();
        if (auto* tile = qobject_cast<AppPickTile*>(w)) visited.push_back(tile->app().id);
        else if (w->focusPolicy() & Qt::TabFocus) break;
    }
    EXPECT_EQ(visited, shownTileIDs());
    EXPECT_EQ(w, button("cancelButton"));
    EXPECT_EQ(w->nextInFocusChain(), button("saveButton"));
}

// MARK: - The tile and the chip on their own

QImage render(QWidget& widget) {
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// How many opaque pixels inside `area` are close to `color`.
int pixelsNear(const QImage& image, const QRectF& area, const QColor& color, int tolerance = 24) {
    int n = 0;
    const QRect r = area.toAlignedRect().intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            n += c.alpha() > 200 && std::abs(c.red() - color.red()) <= tolerance &&
                 std::abs(c.green() - color.green()) <= tolerance && std::abs(c.blue() - color.blue()) <= tolerance;
        }
    return n;
}

class AppPickTileTest : public ::testing::Test {
protected:
    void SetUp() override { Palette::setDarkOverride(false); }
    void TearDown() override { Palette::setDarkOverride(std::nullopt); }
    AppPickTile::IconSource source() {
        return [this](const PresetApp&) {
            ++iconCalls;
            QImage image(88, 88, QImage::Format_ARGB32_Premultiplied);
            image.fill(green);
            image.setDevicePixelRatio(2);
            return image;
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
        EXPECT_EQ(lines.size(), count) << name;
        EXPECT_EQ(lines.last().endsWith(QChar(0x2026)), ellipsis) << name;
        for (const QString& line : lines) EXPECT_LE(QFontMetricsF(AppPickTile::nameFont()).horizontalAdvance(line), AppPickTile::width + 0.5);
    }
}

TEST_F(AppPickTileTest, FetchesItsIconOnceWhenFirstPaintedAndAgainOnlyForANewPath) {
    AppPickTile tile(PresetApp("com.x", "/Applications/X.app", "X"), source());
    EXPECT_EQ(iconCalls, 0);
    const QImage first = render(tile);
    render(tile);
    EXPECT_EQ(iconCalls, 1);
    // The icon is drawn 36 × 36 in the middle of the key.
    const QPointF centre = tile.keyRect().center();
    EXPECT_EQ(pixelsNear(first, QRectF(centre - QPointF(18, 18), QSizeF(36, 36)), green), 36 * 36);
    EXPECT_EQ(pixelsNear(first, QRectF(centre - QPointF(20, 20), QSizeF(40, 40)), green), 36 * 36);
    const std::pair<const char*, int> paths[] = {{"/Applications/X.app", 1}, {"/Applications/Other/X.app", 2}};
    for (const auto& [path, calls] : paths) {
        tile.setApp(PresetApp("com.x", path, "X renamed"));
        render(tile);
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
    const QImage plain = render(tile);
    EXPECT_EQ(pixelsNear(plain, badge, Palette::accent()), 0);
    EXPECT_EQ(pixelsNear(plain, tile.inDockRect(), Palette::accent()), 0);
    // Only the key takes clicks, and a click asks: it does not tick the tile by itself.
    QTest::mouseClick(&tile, Qt::LeftButton, {}, tile.nameRect().center().toPoint());
    QTest::mouseClick(&tile, Qt::LeftButton, {}, key.center().toPoint());
    EXPECT_EQ(toggles, 1);
    EXPECT_FALSE(tile.isSelected());

    tile.setSelected(true);
    tile.setInDock(true);
    EXPECT_TRUE(tile.isChecked());
    EXPECT_EQ(tile.sizeHint(), size) << "the label keeps its place";
    const QImage selected = render(tile);
    EXPECT_GT(pixelsNear(selected, badge, Palette::accent()), 150);  // most of an 18-point disc
    EXPECT_GT(pixelsNear(selected, badge.adjusted(5, 5, -5, -5), Palette::onAccent()), 3);  // the check mark
    // The ring runs along the key's left edge.
    EXPECT_GT(pixelsNear(selected, QRectF(key.left(), key.center().y() - 10, 2, 20), Palette::accent()), 30);
    EXPECT_GT(pixelsNear(selected, tile.inDockRect(), Palette::accent(), 60), 5);
}

TEST(EmojiChipTest, HighlightFillsAndOutlinesTheFrameInAccentAndOnlyTheOwnerSetsIt) {
    Palette::setDarkOverride(true);
    EmojiChip chip(QStringLiteral("\U0001F680"));
    const QRectF frame = chip.frameRect();
    const QRectF edge(frame.left(), frame.center().y() - 6, 1, 12);
    EXPECT_EQ(pixelsNear(render(chip), edge, Palette::accent(), 40), 0);
    chip.setHighlighted(true);
    const QImage lit = render(chip);
    // The 1.5-point outline at the left edge; the 18 % fill just inside it.
    EXPECT_GT(pixelsNear(lit, edge, Palette::accent(), 40), 8);
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
