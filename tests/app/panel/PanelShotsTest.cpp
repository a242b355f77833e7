// Renders the panel to PNG files for looking at, when KESTRINE_SHOTS_DIR names a folder. Writes
// nothing (and is skipped) otherwise.
#include "tests/app/panel/PanelFixture.h"

#include "app/panel/PresetKey.h"
#include "app/panel/SelectionState.h"
#include "app/style/Palette.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdlib>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

class PanelShots : public PanelTest {
protected:
    void SetUp() override {
        const char* dir = std::getenv("KESTRINE_SHOTS_DIR");
        if (!dir) GTEST_SKIP() << "set KESTRINE_SHOTS_DIR to render the panel";
        folder = QString::fromLocal8Bit(dir);
        QDir().mkpath(folder);
        PanelTest::SetUp();
    }
    void TearDown() override {
        Palette::setDarkOverride(std::nullopt);
        PanelTest::TearDown();
    }

    void render(const QString& name, int count, int selected, int availableWidth = 1408,
                std::optional<int> hovered = std::nullopt) {
        for (bool dark : {false, true}) {
            Palette::setDarkOverride(dark);
            SelectionState selection;
            selection.setIndex(selected);
            KeyPanel panel(true);
            auto* view = new MiniDockView(*model, selection, *center, [](int) {});
            panel.setContent(view, MiniDockView::panelSize(availableWidth, count));
            panel.show();
            if (hovered) view->keys()[std::size_t(*hovered)]->setHovered(true);
            QImage shot = panel.grab().toImage();
            // Seen against a desktop-like backdrop.
            QImage backdrop(shot.size(), QImage::Format_ARGB32_Premultiplied);
            backdrop.fill(dark ? QColor(0x3A, 0x40, 0x4A) : QColor(0xB8, 0xC4, 0xD0));
            QPainter p(&backdrop);
            p.drawImage(0, 0, shot);
            p.end();
            const QString file = folder + "/" + name + (dark ? "-dark.png" : "-light.png");
            ASSERT_TRUE(backdrop.save(file)) << file.toStdString();
        }
    }

    QString folder;
};

TEST_F(PanelShots, ThreePresets) {
    havePresets(1);
    ASSERT_TRUE(model->createPreset("Work", std::nullopt, {"com.a", "com.b"}));
    ASSERT_TRUE(model->createPreset("A rather long preset name", std::string("🎮"), {"com.c"}));
    model->activate(1);
    render("three", 3, 2, 1408, 0);
}

TEST_F(PanelShots, TwelvePresetsScrolled) {
    const char* names[] = {"Work", "Play", "Travel", "Music", "Writing", "Design", "Code", "Mail", "Photos", "Games", "News", "Study"};
    for (const char* name : names) ASSERT_TRUE(model->createPreset(name, std::nullopt, {"com.a"}));
    model->activate(10);
    render("twelve", 13, 10, 900);
}

TEST_F(PanelShots, Empty) {
    system->log.failOn("load");
    model = build();
    render("empty", 0, 0);
}

}  // namespace
