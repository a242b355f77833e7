// The preset editor sheet driven through its real widgets, over an AppModel on the fake Dock.
#include "app/Localization.h"
#include "app/settings/AppPickTile.h"
#include "app/settings/EmojiChip.h"
#include "app/settings/PresetEditor.h"
#include "app/style/KeyButton.h"
#include "core/model/PresetStyle.h"
#include "tests/app/support/ModelFixture.h"

#include "app/style/PaletteLabel.h"
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;

namespace {

class PresetEditorTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), spacerTile(3), appTile("com.c", 4)});
        installed = {PresetApp("org.mozilla.firefox", "/Applications/Firefox.app", "Firefox"),
                     PresetApp("com.apple.Safari", "/Applications/Safari.app", "Safari"),
                     PresetApp("com.apple.Notes", "/System/Applications/Notes.app", "Notes")};
    }
    void TearDown() override {
        editor.reset();
        model.reset();
    }

    PresetEditor& open(PresetEditorMode mode) {
        if (!model) {
            model = build();
            model->reload();
        }
        editor = std::make_unique<PresetEditor>(*model, std::move(mode));
        return *editor;
    }

    template <typename T = QWidget>
    T* child(const char* name) const {
        return editor->findChild<T*>(QString::fromLatin1(name));
    }
    QLineEdit* nameField() const { return child<QLineEdit>("nameField"); }
    QLineEdit* searchField() const { return child<QLineEdit>("searchField"); }
    KeyButton* button(const char* name) const { return child<KeyButton>(name); }
    PaletteLabel* note() const { return child<PaletteLabel>("footerNote"); }

    void typeName(const QString& text) {
        nameField()->clear();
        QTest::keyClicks(nameField(), text);
    }

    // The ids of the tiles shown in the picker, in reading order.
    std::vector<std::string> shownTileIDs() const {
        std::vector<AppPickTile*> tiles;
        for (auto* tile : editor->findChildren<AppPickTile*>())
            if (!tile->isHidden()) tiles.push_back(tile);
        std::sort(tiles.begin(), tiles.end(), [](AppPickTile* a, AppPickTile* b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        std::vector<std::string> ids;
        for (auto* tile : tiles) ids.push_back(tile->app().id);
        return ids;
    }

    void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        button->click();
    }

    const Preset* presetNamed(const std::string& name) const {
        for (auto& p : model->presets())
            if (p.name == name) return &p;
        return nullptr;
    }

    std::unique_ptr<PresetEditor> editor;
};

TEST_F(PresetEditorTest, DetailsShowOnlyNameAndEmojiNeedNoScanAcceptTheirOwnNameAndKeepThePickedEmoji) {
    model = build();
    model->reload();
    ASSERT_TRUE(model->createPreset("Music", std::string("\U0001F680"), {"com.a"}));
    ASSERT_TRUE(model->createPreset("Plain", std::string(), {"com.a"}));
    auto& sheet = open(PresetEditorMode::details(*presetNamed("Music")));
    EXPECT_EQ(searchField(), nullptr);
    EXPECT_EQ(child("picker"), nullptr);
    EXPECT_EQ(button("fromDockButton"), nullptr);
    EXPECT_TRUE(sheet.findChildren<AppPickTile*>().isEmpty());
    EXPECT_EQ(nameField()->text(), QStringLiteral("Music"));
    ASSERT_TRUE(sheet.picked());
    EXPECT_EQ(sheet.emoji(), "\U0001F680");  // picked, not the name's default headphones
    // The height is the content's: the save key's visible bottom sits on the bottom padding.
    KeyButton* save = button("saveButton");
    EXPECT_EQ(sheet.height() - (save->geometry().bottom() + 1 - save->room().bottom()), PresetEditor::padding);
    EXPECT_FALSE(model->scanningApps());
    EXPECT_TRUE(executors.background->jobs.empty());

    // Its own name is fine, another preset's is not.
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(note()->isHidden());
    typeName(QString::fromStdString(model->presets()[0].name));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(note()->text(), Localization::tr("editor.nameTaken"));
    typeName(" Music ");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(note()->isHidden());
    typeName("Evening music");
    click(save);
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
    EXPECT_EQ(model->installedApps().size(), 3u);
    // Installed, Dock and preset apps, once each, by name.
    EXPECT_EQ(shownTileIDs(), (std::vector<std::string>{"com.a", "com.b", "com.c", "org.mozilla.firefox",
                                                        "com.apple.Notes", "com.apple.Safari"}));
}

TEST_F(PresetEditorTest, AddAppsStartsWithTheActiveAppsTickedAndSavingStoresTheTicks) {
    auto& sheet = open(PresetEditorMode::addApps());
    EXPECT_EQ(sheet.selection(), (std::set<std::string>{"com.a", "com.b", "com.c"}));
    EXPECT_EQ(nameField(), nullptr);
    EXPECT_EQ(child("emojiKey"), nullptr);
    EXPECT_NE(sheet.focusWidget(), searchField());
    EXPECT_TRUE(button("saveButton")->isEnabled());
    executors.drain();
    EXPECT_TRUE(sheet.tileFor("com.b")->isSelected());
    EXPECT_FALSE(sheet.tileFor("com.apple.Notes")->isSelected());

    click(sheet.tileFor("com.b"));
    click(sheet.tileFor("com.apple.Notes"));
    EXPECT_EQ(child<PaletteLabel>("selectedCount")->text(), Localization::format("editor.selected", 3));
    click(button("saveButton"));
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(appIDs(model->activePreset()->apps), (std::vector<std::string>{"com.a", "com.c", "com.apple.Notes"}));
}

TEST_F(PresetEditorTest, AddAppsFollowsAPresetActivatedWhileTheSheetIsOpen) {
    model = build();
    model->reload();
    ASSERT_TRUE(model->createPreset("Solo", std::nullopt, {"com.c"}));  // becomes active
    auto& sheet = open(PresetEditorMode::addApps());
    executors.drain();
    EXPECT_EQ(sheet.selection(), std::set<std::string>{"com.c"});
    click(sheet.tileFor("com.apple.Notes"));

    // The key panel switches back to the default preset; Save must not give it Solo's apps.
    model->activate(model->presets()[0]);
    EXPECT_EQ(sheet.selection(), (std::set<std::string>{"com.a", "com.b", "com.c"}));
    EXPECT_TRUE(sheet.tileFor("com.a")->isSelected());
    EXPECT_FALSE(sheet.tileFor("com.apple.Notes")->isSelected());
    click(button("saveButton"));
    EXPECT_EQ(appIDs(model->presets()[0].apps), (std::vector<std::string>{"com.a", "com.b", "com.c"}));
    EXPECT_EQ(appIDs(presetNamed("Solo")->apps), std::vector<std::string>{"com.c"});
}

TEST_F(PresetEditorTest, SaveNeedsANonBlankUnusedNameAndExplainsATakenOne) {
    auto& sheet = open(PresetEditorMode::create());
    KeyButton* save = button("saveButton");
    click(button("fromDockButton"));  // a selection, so only the name decides

    EXPECT_FALSE(save->isEnabled());  // empty
    typeName("   ");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(sheet.trimmedName(), "");

    typeName(QString::fromStdString(model->presets()[0].name));
    EXPECT_TRUE(sheet.nameTaken());
    EXPECT_FALSE(save->isEnabled());
    ASSERT_FALSE(note()->isHidden());
    EXPECT_EQ(note()->text(), Localization::tr("editor.nameTaken"));

    typeName("  Evening  ");
    EXPECT_EQ(sheet.trimmedName(), "Evening");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(note()->text(), Localization::tr("editor.create.note"));
}

TEST_F(PresetEditorTest, CreateNeedsATickedAppAndReturnStoresThePresetWithTheShownEmoji) {
    auto& sheet = open(PresetEditorMode::create());
    sheet.show();
    executors.drain();
    typeName("Work stuff");
    KeyButton* save = button("saveButton");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(note()->text(), Localization::tr("editor.create.note"));
    QTest::keyClick(nameField(), Qt::Key_Return);  // Save is disabled, so Return does nothing
    EXPECT_TRUE(sheet.isVisible());
    click(sheet.tileFor("com.apple.Safari"));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(child<PaletteLabel>("selectedCount")->text(), Localization::format("editor.selected", 1));
    click(sheet.tileFor("com.apple.Safari"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(sheet.selection().empty());

    click(sheet.tileFor("com.apple.Safari"));
    click(sheet.tileFor("com.b"));
    nameField()->setFocus();
    QTest::keyClick(nameField(), Qt::Key_Return);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_FALSE(sheet.isVisible());
    const Preset* created = presetNamed("Work stuff");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->emoji, std::optional<std::string>("\U0001F4BC"));
    EXPECT_EQ(appIDs(created->apps), (std::vector<std::string>{"com.b", "com.apple.Safari"}));
    EXPECT_EQ(model->activeID(), created->id);
}

TEST_F(PresetEditorTest, AFailedSaveLeavesTheSheetOpenWithItsContents) {
    auto& sheet = open(PresetEditorMode::create());
    sheet.show();
    executors.drain();
    typeName("Night");
    click(sheet.tileFor("com.a"));
    system->log.failOn("save");
    click(button("saveButton"));

    EXPECT_TRUE(sheet.isVisible());
    EXPECT_TRUE(model->errorMessage().has_value());
    EXPECT_EQ(nameField()->text(), QStringLiteral("Night"));
    EXPECT_EQ(sheet.selection(), (std::set<std::string>{"com.a"}));

    system->log.clearFailures();
    model->setErrorMessage(std::nullopt);
    // The failed attempt may have kept the preset in memory; a different name then saves.
    if (sheet.nameTaken()) typeName("Night 2");
    click(button("saveButton"));
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
}

TEST_F(PresetEditorTest, TheDefaultEmojisChipIsHighlightedAndFollowsTheNameUntilOneIsPicked) {
    auto& sheet = open(PresetEditorMode::create());
    auto chips = sheet.findChildren<EmojiChip*>();
    ASSERT_EQ(chips.size(), qsizetype(PresetStyle::emojiChoices.size()));
    auto highlighted = [&] {
        std::vector<QString> on;
        for (auto* chip : chips)
            if (chip->isHighlighted()) on.push_back(chip->emoji());
        return on;
    };
    auto chipFor = [&](const char* emoji) -> EmojiChip* {
        for (auto* chip : chips)
            if (chip->emoji() == QString::fromUtf8(emoji)) return chip;
        return nullptr;
    };

    EXPECT_EQ(highlighted(), std::vector<QString>{QString::fromStdString(PresetStyle::defaultEmoji(""))});
    typeName("work");
    EXPECT_EQ(highlighted(), std::vector<QString>{QStringLiteral("\U0001F4BC")});
    typeName("gaming");
    EXPECT_EQ(highlighted(), std::vector<QString>{QStringLiteral("\U0001F3AE")});

    click(chipFor("\U0001F680"));
    EXPECT_EQ(sheet.emoji(), "\U0001F680");
    typeName("work");
    EXPECT_EQ(highlighted(), std::vector<QString>{QStringLiteral("\U0001F680")});
    // Clicking the highlighted chip again keeps it.
    click(chipFor("\U0001F680"));
    EXPECT_EQ(highlighted(), std::vector<QString>{QStringLiteral("\U0001F680")});
}

TEST_F(PresetEditorTest, SearchMatchesPartOfTheIdOrNameIgnoringCaseAndSurroundingSpaceAndReusesTheTiles) {
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    AppPickTile* safari = sheet.tileFor("com.apple.Safari");
    const auto tileCount = sheet.findChildren<AppPickTile*>().size();
    auto* clearSearch = child<QAbstractButton>("searchClear");
    EXPECT_TRUE(clearSearch->isHidden());
    QTest::keyClicks(searchField(), " MOZILLA ");
    EXPECT_EQ(shownTileIDs(), std::vector<std::string>{"org.mozilla.firefox"});
    EXPECT_EQ(sheet.filtered().size(), 1u);
    EXPECT_FALSE(clearSearch->isHidden());
    searchField()->setText("not");
    EXPECT_EQ(shownTileIDs(), std::vector<std::string>{"com.apple.Notes"});
    searchField()->setText("com.apple.");
    EXPECT_EQ(shownTileIDs(), (std::vector<std::string>{"com.apple.Notes", "com.apple.Safari"}));
    searchField()->setText("   ");
    EXPECT_EQ(shownTileIDs().size(), 6u);
    EXPECT_TRUE(child("noResults")->isHidden());

    // No match says so; the clear button empties the search and brings back the very same tiles.
    searchField()->setText("zzz");
    EXPECT_TRUE(shownTileIDs().empty());
    EXPECT_FALSE(child("noResults")->isHidden());
    EXPECT_TRUE(child("pickerProgress")->isHidden());
    click(clearSearch);
    EXPECT_TRUE(searchField()->text().isEmpty());
    EXPECT_TRUE(clearSearch->isHidden());
    EXPECT_TRUE(child("noResults")->isHidden());
    EXPECT_EQ(shownTileIDs().size(), sheet.candidates().size());
    EXPECT_EQ(sheet.tileFor("com.apple.Safari"), safari);
    EXPECT_EQ(sheet.findChildren<AppPickTile*>().size(), tileCount);
}

TEST_F(PresetEditorTest, FromDockSelectsExactlyTheDockAppsClearEmptiesAndTilesTellTheirState) {
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    KeyButton* clear = button("clearButton");
    EXPECT_FALSE(clear->isEnabled());
    click(sheet.tileFor("com.apple.Safari"));
    click(sheet.tileFor("com.b"));
    EXPECT_TRUE(clear->isEnabled());
    click(button("fromDockButton"));
    EXPECT_EQ(sheet.selection(), (std::set<std::string>{"com.a", "com.b", "com.c"}));
    EXPECT_FALSE(sheet.tileFor("com.apple.Safari")->isSelected());
    EXPECT_TRUE(sheet.tileFor("com.c")->isSelected());
    click(clear);
    EXPECT_TRUE(sheet.selection().empty());
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(sheet.tileFor("com.a")->isSelected());

    // Tiles mark the Dock's apps and are checkable for assistive technologies.
    AppPickTile* notes = sheet.tileFor("com.apple.Notes");
    EXPECT_TRUE(sheet.tileFor("com.a")->isInDock());
    EXPECT_FALSE(notes->isInDock());
    EXPECT_EQ(notes->accessibleName(), QStringLiteral("Notes"));
    EXPECT_TRUE(notes->isCheckable());
    QTest::keyClick(notes, Qt::Key_Space);
    EXPECT_TRUE(notes->isChecked());
    EXPECT_TRUE(sheet.selection().count("com.apple.Notes"));
}

TEST_F(PresetEditorTest, WhileScanningWithNothingToShowOnlyTheProgressIndicatorShowsAndAnEmptyScanSaysNoResults) {
    system->setDock({});
    installed.resize(1);
    auto& sheet = open(PresetEditorMode::create());
    sheet.show();
    ASSERT_TRUE(sheet.candidates().empty());
    EXPECT_TRUE(child("pickerProgress")->isVisible());
    EXPECT_FALSE(child("noResults")->isVisible());
    EXPECT_FALSE(child("pickerCornerProgress")->isVisible());
    executors.drain();
    EXPECT_FALSE(child("pickerProgress")->isVisible());
    EXPECT_FALSE(child("pickerCornerProgress")->isVisible());
    EXPECT_EQ(shownTileIDs().size(), 1u);

    installed.clear();
    open(PresetEditorMode::create()).show();
    executors.drain();
    EXPECT_TRUE(child("noResults")->isVisible());
    EXPECT_FALSE(child("pickerProgress")->isVisible());
}

TEST_F(PresetEditorTest, DockAppsShowWhileScanningWithTheSmallIndicatorInTheCorner) {
    auto& sheet = open(PresetEditorMode::addApps());
    sheet.show();
    EXPECT_EQ(shownTileIDs(), (std::vector<std::string>{"com.a", "com.b", "com.c"}));
    EXPECT_FALSE(child("pickerProgress")->isVisible());
    QWidget* corner = child("pickerCornerProgress");
    ASSERT_TRUE(corner->isVisible());

    executors.drain();
    EXPECT_FALSE(corner->isVisible());
    EXPECT_EQ(shownTileIDs().size(), 6u);
}

TEST_F(PresetEditorTest, EscapeAndCancelStoreNothing) {
    auto& sheet = open(PresetEditorMode::addApps());
    sheet.show();
    executors.drain();
    const auto presets = model->presets();
    const int saves = system->saves;
    click(sheet.tileFor("com.a"));
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_FALSE(sheet.isVisible());

    auto& create = open(PresetEditorMode::create());
    create.show();
    QTest::keyClicks(searchField(), "saf");
    QTest::keyClick(searchField(), Qt::Key_Escape);
    EXPECT_EQ(create.result(), QDialog::Rejected);
    EXPECT_FALSE(create.isVisible());

    auto& details = open(PresetEditorMode::details(presets[0]));
    typeName("Renamed");
    click(button("cancelButton"));
    EXPECT_EQ(details.result(), QDialog::Rejected);
    EXPECT_EQ(model->presets(), presets);
    EXPECT_EQ(system->saves, saves);
}

TEST_F(PresetEditorTest, ClosingReleasesTheScanInEveryWay) {
    open(PresetEditorMode::create());
    executors.drain();
    EXPECT_EQ(model->installedApps().size(), 3u);
    editor->reject();
    EXPECT_TRUE(model->installedApps().empty());

    // A later editor scans afresh; destroying it while open releases as well.
    open(PresetEditorMode::addApps());
    executors.drain();
    EXPECT_EQ(model->installedApps().size(), 3u);
    editor.reset();
    EXPECT_TRUE(model->installedApps().empty());

    // Closed before the scan delivered: the late result is dropped.
    open(PresetEditorMode::create());
    editor->reject();
    executors.drain();
    EXPECT_TRUE(model->installedApps().empty());
    EXPECT_FALSE(model->scanningApps());
}

TEST_F(PresetEditorTest, TabVisitsTheTilesInGridOrderBetweenTheSelectionKeysAndTheFooter) {
    // Dock apps get their tiles before the scan delivers; the order must still be the grid's.
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    std::vector<std::string> visited;
    QWidget* w = button("clearButton");
    for (int guard = 0; guard < 100; ++guard) {
        w = w->nextInFocusChain();
        if (auto* tile = qobject_cast<AppPickTile*>(w)) {
            visited.push_back(tile->app().id);
        } else if (w->focusPolicy() & Qt::TabFocus) {
            break;
        }
    }
    EXPECT_EQ(visited, shownTileIDs());
    EXPECT_EQ(w, button("cancelButton"));
    EXPECT_EQ(w->nextInFocusChain(), button("saveButton"));
    (void)sheet;
}

TEST_F(PresetEditorTest, IconsAreFetchedOnlyForTilesThatArePainted) {
    for (int i = 0; i < 60; ++i)
        installed.push_back(PresetApp("org.example.app" + std::to_string(i), "/Applications/App" + std::to_string(i) + ".app",
                                      "App " + std::to_string(i)));
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    EXPECT_EQ(model->icons().renderCount(), 0);
    sheet.grab();
    const int painted = model->icons().renderCount();
    EXPECT_GT(painted, 0);
    EXPECT_LT(size_t(painted), sheet.candidates().size());
}

}  // namespace
