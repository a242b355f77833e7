// The editor sheet in each mode and state, light and dark, drawn to PNG files for a person to look
// at (in $KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/editor), with the layout properties every
// rendering must have: parts inside the padding, nothing overlapping, tiles on a regular grid.
#include "app/settings/AppPickTile.h"
#include "app/settings/PresetEditor.h"
#include "app/style/Palette.h"
#include "tests/app/settings/SettingsViewTestSupport.h"
#include "tests/app/support/RenderSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

std::vector<PresetApp> sampleApps(int count) {
    static const char* names[] = {"Calendar", "Mail", "Safari", "Notes", "Music", "Photos", "Terminal", "Xcode",
                                  "Visual Studio Code", "Preview", "System Settings", "Finder", "Firefox",
                                  "Slack", "Zoom", "Keynote", "Pages", "Numbers", "Affinity Designer 2",
                                  "Activity Monitor"};
    std::vector<PresetApp> out;
    for (int i = 0; i < count; ++i) {
        std::string name = names[i % 20];
        if (i >= 20) name += " " + std::to_string(i / 20 + 1);
        std::string id = "com.example.app" + std::to_string(i);
        out.emplace_back(id, "/Applications/" + name + ".app", name);
    }
    return out;
}

class PresetEditorRenderTest : public ::testing::TestWithParam<bool>, public ModelFixture {
protected:
    void SetUp() override {
        Palette::setDarkOverride(GetParam());
        system->setDock({appTile("com.example.app2", 1), appTile("com.example.app5", 2), appTile("com.example.app7", 3)});
        installed = sampleApps(40);
    }
    void TearDown() override {
        editor.reset();
        model.reset();
        Palette::setDarkOverride(std::nullopt);
    }

    PresetEditor& open(PresetEditorMode mode) {
        if (!model) {
            model = build();
            model->reload();
        }
        editor = std::make_unique<PresetEditor>(*model, std::move(mode));
        editor->show();
        return *editor;
    }

    // Saves the picture and checks what every rendering must satisfy.
    void shoot(const QString& name) {
        QApplication::processEvents();
        const QImage image = editor->grab().toImage();
        ASSERT_FALSE(image.isNull());
        const QString file = name + (GetParam() ? QStringLiteral("-dark") : QStringLiteral("-light"));
        image.save(shotsDirectory(QStringLiteral("editor")).filePath(file + QStringLiteral(".png")));

        // The sheet is canvas inside its one-point edge.
        EXPECT_EQ(QColor(image.pixel(3, 3)).rgb(), Palette::canvas().rgb()) << file.toStdString();

        // The sheet's direct parts sit inside the padding and do not overlap.
        const QRect content = editor->rect().marginsRemoved(QMargins(PresetEditor::padding, PresetEditor::padding,
                                                                     PresetEditor::padding, PresetEditor::padding));
        std::vector<std::pair<QString, QRect>> parts;
        for (QWidget* part : editor->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (part->isHidden() || part->isWindow()) continue;
            const QRect r = visibleRect(part);
            EXPECT_TRUE(content.contains(r)) << file.toStdString() << " " << part->objectName().toStdString();
            parts.emplace_back(part->objectName(), r);
        }
        for (size_t i = 0; i < parts.size(); ++i)
            for (size_t j = i + 1; j < parts.size(); ++j)
                EXPECT_FALSE(parts[i].second.intersects(parts[j].second))
                    << file.toStdString() << ": " << parts[i].first.toStdString() << " overlaps "
                    << parts[j].first.toStdString();

        // Tiles never overlap.
        std::vector<QRect> tiles;
        for (auto* tile : editor->findChildren<AppPickTile*>())
            if (!tile->isHidden()) tiles.push_back(visibleRect(tile));
        for (size_t i = 0; i < tiles.size(); ++i)
            for (size_t j = i + 1; j < tiles.size(); ++j) EXPECT_FALSE(tiles[i].intersects(tiles[j]));
    }

    std::unique_ptr<PresetEditor> editor;
};

TEST_P(PresetEditorRenderTest, CreateWithFortyApps) {
    auto& sheet = open(PresetEditorMode::create());
    executors.drain();
    QTest::keyClicks(sheet.findChild<QLineEdit*>(QStringLiteral("nameField")), QStringLiteral("Deep work"));
    sheet.tileFor("com.example.app2")->click();
    sheet.tileFor("com.example.app3")->click();
    shoot(QStringLiteral("create"));
}

TEST_P(PresetEditorRenderTest, AddAppsWhileScanningAndFiltered) {
    auto& sheet = open(PresetEditorMode::addApps());
    shoot(QStringLiteral("add-scanning"));
    executors.drain();
    sheet.findChild<QLineEdit*>(QStringLiteral("searchField"))->setText(QStringLiteral("s"));
    shoot(QStringLiteral("add-search"));
    sheet.findChild<QLineEdit*>(QStringLiteral("searchField"))->setText(QStringLiteral("no such app"));
    shoot(QStringLiteral("add-no-results"));
}

TEST_P(PresetEditorRenderTest, CreateWhileScanningWithNothingToShow) {
    system->setDock({});  // no Dock apps and no stored presets: nothing to show yet
    open(PresetEditorMode::create());
    shoot(QStringLiteral("create-scanning-empty"));
}

TEST_P(PresetEditorRenderTest, Details) {
    model = build();
    model->reload();
    ASSERT_TRUE(model->createPreset("Music", std::nullopt, {"com.example.app2"}));
    auto& sheet = open(PresetEditorMode::details(model->presets()[1]));
    shoot(QStringLiteral("details"));
    auto* name = sheet.findChild<QLineEdit*>(QStringLiteral("nameField"));
    name->setText(QString::fromStdString(model->presets()[0].name));
    shoot(QStringLiteral("details-taken"));
}

INSTANTIATE_TEST_SUITE_P(Appearances, PresetEditorRenderTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
