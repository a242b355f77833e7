// The settings window, the shelf with the cards, and the editor sheet drawn light and dark into PNG
// files for a person to look at ($KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/settings), with
// the checks that the pixels really show each state and that the editor's parts stay in place.
#include "app/settings/AppPickTile.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/DropBar.h"
#include "app/settings/ErrorBanner.h"
#include "app/settings/PresetCard.h"
#include "app/settings/PresetCardsView.h"
#include "app/settings/PresetEditor.h"
#include "app/settings/SettingsView.h"
#include "app/settings/ShelfTile.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/settings/SettingsViewTestSupport.h"
#include "tests/app/support/RenderSupport.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

class SettingsRender : public ::testing::TestWithParam<bool>, public SettingsFixture {
protected:
    void SetUp() override { Palette::setDarkOverride(GetParam()), ReduceMotion::setOverride(false); }
    void TearDown() override { tearDownShared(), ReduceMotion::setOverride(std::nullopt), Palette::setDarkOverride(std::nullopt); }
    QImage shoot(QWidget* widget, const QString& name) {
        for (int round = 0; round < 2; ++round) {
            settle(widget);
            QCoreApplication::processEvents();
        }
        const QImage image = widget->grab().toImage();
        image.save(shotsDirectory(QStringLiteral("settings")).filePath(name + (GetParam() ? "-dark.png" : "-light.png")));
        return image;
    }
    // The colour at `p` in `w`'s coordinates, in a picture of `root`.
    static QColor at(const QImage& image, QWidget* root, QWidget* w, QPointF p) {
        return colorAt(image, w->mapTo(root, p.toPoint()));
    }
};

TEST_P(SettingsRender, TheWindowShowsItsCanvasAndTheBannerOverTheContent) {
    buildModel();
    ASSERT_TRUE(model->createPreset("Work", std::string("💼"), {"com.a", "com.b"}));
    ASSERT_TRUE(model->createPreset("Design and photography", std::string("🎨"), {}));
    loginItem = makeLoginItem(false);
    SettingsView view(*model, *loginItem, *center, *recorder);
    view.resize(760, 820);
    view.show();
    QImage image = shoot(&view, QStringLiteral("settings"));
    // The canvas shows in the corner and under the content's left padding.
    EXPECT_EQ(colorAt(image, QPoint(2, 2)).rgb(), Palette::canvas().rgb());
    EXPECT_EQ(colorAt(image, QPoint(10, 300)).rgb(), Palette::canvas().rgb());

    model->setErrorMessage(QStringLiteral("The Dock's preferences could not be written. Check that the disk is not full, "
                                          "then try again."));
    ErrorBanner* banner = view.errorBanner();
    ASSERT_NE(banner, nullptr);
    image = shoot(&view, QStringLiteral("settings-banner"));
    const QRect card = banner->cardRect();
    EXPECT_TRUE(near(at(image, &view, banner, QPointF(card.left() + 4, card.center().y())), Palette::raised()));
}

// The shelf and the cards on the window's canvas: at rest, then with a hovered tile and card and
// a tile dragged over another.
TEST_P(SettingsRender, TheShelfAndTheCardsShowRestHoverAndDropInPixels) {
    system->setDock({appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 3), appTile("com.d", 4)});
    model = build();
    model->reload();
    ASSERT_TRUE(model->createPreset("Focus", std::nullopt, {"com.a"}));
    ASSERT_TRUE(model->createPreset("Design and illustration studio", std::string("🎸"), {"com.b", "com.c"}));
    model->activate(0);
    struct Canvas : QWidget {
        void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Palette::canvas()); }
    } host;
    auto* column = new QVBoxLayout(&host);
    column->setContentsMargins(36, 32, 36, 32);
    auto* shelf = new DockShelfView(*model);
    auto* cards = new PresetCardsView(*model);
    column->addWidget(shelf);
    column->addWidget(cards);
    host.resize(680, host.heightForWidth(680));
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    ShelfTile* hovered = shelf->tiles()[1];
    ShelfTile* target = shelf->tiles()[3];
    PresetCard* active = cards->cards()[0];
    PresetCard* other = cards->cards()[2];
    const QPointF face = hovered->keyRect().topLeft() + QPointF(6, 38);  // beside the icon
    auto bar = [&](const QImage& image) { return at(image, &host, target, QPointF(target->visibleRect().left() - 7, target->keyRect().center().y())); };

    QImage image = shoot(&host, QStringLiteral("shelf-and-cards"));
    EXPECT_TRUE(near(at(image, &host, shelf, QPointF(10, shelf->height() / 2.0)), Palette::well()));
    EXPECT_TRUE(near(at(image, &host, hovered, face), Palette::raised(), 2));
    EXPECT_FALSE(near(bar(image), Palette::accent(), 12));
    // The active card's ring, and a plain face on another card.
    const QRectF ring = active->restingFaceRect();
    EXPECT_TRUE(near(at(image, &host, active, QPointF(ring.left() + 1, ring.center().y())), Palette::accent(), 12));
    EXPECT_TRUE(near(at(image, &host, other, other->restingFaceRect().center()), Palette::raised()));

    for (QWidget* w : {(QWidget*)hovered, (QWidget*)other}) {
        const QPointF p = w == hovered ? hovered->keyRect().center() : other->restingFaceRect().center();
        QEnterEvent enter(p, p, w->mapToGlobal(p));
        QApplication::sendEvent(w, &enter);
    }
    QMimeData data;
    data.setText(QStringLiteral("com.a"));
    QDragEnterEvent drag(target->rect().center(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drag);
    image = shoot(&host, QStringLiteral("shelf-and-cards-hovered"));
    EXPECT_TRUE(near(at(image, &host, hovered, face), Palette::raisedHover(), 2));
    EXPECT_TRUE(near(at(image, &host, other, other->restingFaceRect().center()), Palette::raisedHover(), 2));
    EXPECT_TRUE(near(bar(image), Palette::accent(), 12));
}

// The editor sheet in each mode and state: canvas inside its edge, its parts inside the padding
// and apart, and tiles that never overlap.
TEST_P(SettingsRender, TheEditorKeepsItsPartsInsideThePaddingAndApartInEveryState) {
    system->setDock({appTile("com.example.app2", 1), appTile("com.example.app5", 2), appTile("com.example.app7", 3)});
    for (int i = 0; i < 40; ++i)
        installed.emplace_back("com.example.app" + std::to_string(i), "/Applications/App.app", "App number " + std::to_string(i));
    model = build();
    model->reload();
    ASSERT_TRUE(model->createPreset("Music", std::nullopt, {"com.example.app2"}));
    std::unique_ptr<PresetEditor> editor;
    auto field = [&](const char* name) { return editor->findChild<QLineEdit*>(QString::fromLatin1(name)); };
    const struct {
        const char* name;
        std::function<PresetEditorMode()> mode;
        std::function<void()> act;
    } rows[] = {
        {"create", [] { return PresetEditorMode::create(); }, [&] {
             executors.drain();
             QTest::keyClicks(field("nameField"), QStringLiteral("Deep work"));
             editor->tileFor("com.example.app3")->click();
         }},
        {"add-scanning", [] { return PresetEditorMode::addApps(); }, [] {}},
        {"add-search", [] { return PresetEditorMode::addApps(); }, [&] { executors.drain(), field("searchField")->setText("1"); }},
        {"add-no-results", [] { return PresetEditorMode::addApps(); }, [&] { executors.drain(), field("searchField")->setText("zz"); }},
        {"details", [&] { return PresetEditorMode::details(model->presets()[1]); }, [] {}},
        {"details-taken", [&] { return PresetEditorMode::details(model->presets()[1]); },
         [&] { field("nameField")->setText(QString::fromStdString(model->presets()[0].name)); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        editor.reset();
        editor = std::make_unique<PresetEditor>(*model, r.mode());
        editor->show();
        r.act();
        const QImage image = shoot(editor.get(), QStringLiteral("editor-") + r.name);
        EXPECT_EQ(QColor(image.pixel(3, 3)).rgb(), Palette::canvas().rgb());
        const int p = PresetEditor::padding;
        const QRect content = editor->rect().marginsRemoved(QMargins(p, p, p, p));
        auto expectApart = [](const std::vector<QRect>& rects) {
            for (size_t i = 0; i < rects.size(); ++i)
                for (size_t j = i + 1; j < rects.size(); ++j) EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
        };
        std::vector<QRect> parts, tiles;
        for (QWidget* part : editor->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (part->isHidden() || part->isWindow()) continue;
            parts.push_back(visibleRect(part));
            EXPECT_TRUE(content.contains(parts.back())) << part->objectName().toStdString();
        }
        for (auto* tile : editor->findChildren<AppPickTile*>())
            if (!tile->isHidden()) tiles.push_back(visibleRect(tile));
        expectApart(parts);
        expectApart(tiles);
    }
    editor.reset();
}

INSTANTIATE_TEST_SUITE_P(Appearances, SettingsRender, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
