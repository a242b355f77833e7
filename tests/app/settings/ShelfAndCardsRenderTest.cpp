// Draws the shelf header, the Dock shelf (twenty applications with icons from their bundles) and
// the preset cards in light and dark, at rest and with a hovered tile and card and a drag under
// way, into PNG files for a person to look at ($KESTRINE_SHOTS_DIR, or
// <temp>/kestrine-shots/cards), and checks what must be there.
#include <gtest/gtest.h>

#include "app/settings/AddAppsTile.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/DropBar.h"
#include "app/settings/NewPresetCard.h"
#include "app/settings/PresetCard.h"
#include "app/settings/PresetCardsView.h"
#include "app/settings/ShelfHeader.h"
#include "app/settings/ShelfTile.h"
#include "app/style/IconButton.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "tests/app/support/ModelFixture.h"
#include "tests/app/support/RenderSupport.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

// The window's background with the content inset as in the settings window.
class CanvasHost : public QWidget {
public:
    CanvasHost() {
        column = new QVBoxLayout(this);
        column->setContentsMargins(36, 32, 36, 32);
        column->setSpacing(12);
    }
    QVBoxLayout* column;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Palette::canvas()); }
};

const char* kNames[] = {"Safari",   "Mail",      "Calendar",   "Notes",     "Music",  "Photos",     "Terminal",
                        "Xcode",    "Preview",   "Numbers",    "Keynote",   "Pages",  "Maps",       "Messages",
                        "FaceTime", "Reminders", "System Settings", "Activity Monitor", "TextEdit", "Font Book"};

// An application bundle with an Info.plist and a coloured icon, and the Dock tile pointing at it.
plist::Dictionary bundleTile(const QString& root, int i) {
    const std::string name = kNames[i % 20];
    const std::string id = "com.example.app" + std::to_string(i);
    const QString bundle = root + QStringLiteral("/App%1.app").arg(i);
    QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
    plist::Dictionary info{{"CFBundleIdentifier", plist::Value(id)}, {"CFBundleIconFile", plist::Value("icon.png")},
                           {"CFBundleName", plist::Value(name)}};
    writeFileAtomically((bundle + QStringLiteral("/Contents/Info.plist")).toStdString(), plist::toXML(plist::Value(info)));
    QImage icon(128, 128, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv((i * 47) % 360, 150, 220));
    p.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
    p.end();
    icon.save(bundle + QStringLiteral("/Contents/Resources/icon.png"));

    plist::Dictionary fileData{{"_CFURLString", plist::Value("file://" + bundle.toStdString() + "/")},
                               {"_CFURLStringType", plist::Value(15)}};
    plist::Dictionary tileData{{"bundle-identifier", plist::Value(id)}, {"file-label", plist::Value(name)},
                               {"file-data", plist::Value(fileData)}};
    return {{"GUID", plist::Value(std::int64_t(100 + i))}, {"tile-type", plist::Value("file-tile")},
            {"tile-data", plist::Value(tileData)}};
}

void hover(QWidget* widget, QPointF at) {
    QEnterEvent enter(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &enter);
}

class ShelfAndCardsRender : public ::testing::TestWithParam<bool>, public ModelFixture {
protected:
    void SetUp() override {
        Palette::setDarkOverride(GetParam());
        ReduceMotion::setOverride(false);
        ASSERT_TRUE(bundles.isValid());
        std::vector<plist::Dictionary> tiles;
        for (int i = 0; i < 20; ++i) tiles.push_back(bundleTile(bundles.path(), i));
        system->setDock(tiles);
        model = build();
        model->reload();
        const char* names[] = {"Work", "Focus Mode", "Design and illustration studio", "Music", "Travel"};
        for (int i = 0; i < 5; ++i) {
            std::set<std::string> selection{"com.example.app0"};
            if (i % 2) selection = {"com.example.app1", "com.example.app2", "com.example.app3"};
            ASSERT_TRUE(model->createPreset(names[i], i == 3 ? std::optional<std::string>("🎸") : std::nullopt, selection));
        }
        model->activate(0);

        header = new ShelfHeader;
        shelf = new DockShelfView(*model);
        cards = new PresetCardsView(*model);
        host.column->addWidget(header);
        host.column->addWidget(shelf);
        host.column->addWidget(cards);
        QObject::connect(model.get(), &AppModel::changed, header, [this] {
            if (auto preset = model->activePreset()) header->setPreset(*preset);
        });
        header->setPreset(*model->activePreset());
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    void TearDown() override {
        Palette::setDarkOverride(std::nullopt);
        ReduceMotion::setOverride(std::nullopt);
    }
    QImage shoot(const QString& name) {
        for (int round = 0; round < 2; ++round) {
            settle(&host);
            host.resize(680, host.heightForWidth(680));
            QCoreApplication::processEvents();
        }
        const QImage image = host.grab().toImage();
        image.save(shotsDirectory(QStringLiteral("cards")).filePath(name + (GetParam() ? "-dark.png" : "-light.png")));
        return image;
    }
    QColor at(const QImage& image, QWidget* w, QPointF p) { return colorAt(image, w->mapTo(&host, p.toPoint())); }

    QTemporaryDir bundles;
    CanvasHost host;
    ShelfHeader* header = nullptr;
    DockShelfView* shelf = nullptr;
    PresetCardsView* cards = nullptr;
};

TEST_P(ShelfAndCardsRender, AtRest) {
    ASSERT_EQ(shelf->tiles().size(), 20u);
    const QImage image = shoot(QStringLiteral("shelf-and-cards"));
    EXPECT_TRUE(near(colorAt(image, QPoint(4, 4)), Palette::canvas()));
    // The well shows between the padding and the first tile; icons were loaded from the bundles.
    EXPECT_TRUE(near(at(image, shelf, QPointF(10, shelf->height() / 2.0)), Palette::well()));
    ShelfTile* first = shelf->tiles()[0];
    EXPECT_FALSE(near(at(image, first, first->keyRect().center() + QPointF(-14, -14)), Palette::raised(), 20));
    EXPECT_TRUE(near(at(image, first, first->keyRect().topLeft() + QPointF(6, 38)), Palette::raised()));
    // The active card's ring, and a plain face on another card.
    PresetCard* active = cards->cards()[0];
    PresetCard* other = cards->cards()[2];
    const QRectF face = active->restingFaceRect();
    EXPECT_TRUE(near(at(image, active, QPointF(face.left() + 1, face.center().y())), Palette::accent(), 12));
    EXPECT_TRUE(near(at(image, other, other->restingFaceRect().center()), Palette::raised()));
}

TEST_P(ShelfAndCardsRender, HoveredAndDuringADrag) {
    ShelfTile* hovered = shelf->tiles()[2];
    ShelfTile* target = shelf->tiles()[8];
    PresetCard* card = cards->cards()[1];
    hover(hovered, hovered->keyRect().center());
    hover(card, card->restingFaceRect().center());
    hover(cards->newPresetCard(), cards->newPresetCard()->rect().center());
    QMimeData data;
    data.setText(QString::fromStdString(shelf->tiles()[0]->app().id));
    QDragEnterEvent drag(target->rect().center(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drag);
    QDragEnterEvent dragAdd(shelf->addTile()->rect().center(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(shelf->addTile(), &dragAdd);
    // The picture is for a person to look at; the hover and drop-bar behaviour have tests of their own.
    shoot(QStringLiteral("shelf-and-cards-hovered"));
}

INSTANTIATE_TEST_SUITE_P(Appearances, ShelfAndCardsRender, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
