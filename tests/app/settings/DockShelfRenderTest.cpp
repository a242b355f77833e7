// Draws the shelf header and the Dock shelf in light and dark (twenty applications, an empty
// preset, a hovered tile, a drop bar) into PNG files for a person to look at ($KESTRINE_SHOTS_DIR,
// or <temp>/kestrine-shots/cards), and checks what must be there.
#include <gtest/gtest.h>

#include "app/settings/AddAppsTile.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/DropBar.h"
#include "app/settings/ShelfHeader.h"
#include "app/settings/ShelfTile.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "tests/app/support/ModelFixture.h"
#include "tests/app/support/RenderSupport.h"

#include <QAbstractAnimation>
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
    p.setPen(Qt::white);
    QFont font;
    font.setPixelSize(64);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(8, 8, 112, 112), Qt::AlignCenter, QString::fromStdString(name.substr(0, 1)));
    p.end();
    icon.save(bundle + QStringLiteral("/Contents/Resources/icon.png"));

    plist::Dictionary fileData{{"_CFURLString", plist::Value("file://" + bundle.toStdString() + "/")},
                               {"_CFURLStringType", plist::Value(15)}};
    plist::Dictionary tileData{{"bundle-identifier", plist::Value(id)},
                               {"file-label", plist::Value(name)},
                               {"file-data", plist::Value(fileData)}};
    return {{"GUID", plist::Value(std::int64_t(100 + i))},
            {"tile-type", plist::Value("file-tile")},
            {"tile-data", plist::Value(tileData)}};
}

class DockShelfRender : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        ReduceMotion::setOverride(false);
        ASSERT_TRUE(bundles.isValid());
        std::vector<plist::Dictionary> tiles;
        for (int i = 0; i < 20; ++i) tiles.push_back(bundleTile(bundles.path(), i));
        system->setDock(tiles);
        model = build();
        model->reload();

        header = new ShelfHeader;
        shelf = new DockShelfView(*model);
        host = std::make_unique<CanvasHost>();
        host->column->addWidget(header);
        host->column->addWidget(shelf);
        QObject::connect(model.get(), &AppModel::changed, header, [this] {
            if (auto preset = model->activePreset()) header->setPreset(*preset);
        });
        header->setPreset(*model->activePreset());
        host->resize(680, host->heightForWidth(680));
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        host.reset();
        Palette::setDarkOverride(std::nullopt);
        ReduceMotion::setOverride(std::nullopt);
    }
    QImage shoot(const QString& name) {
        settle(host.get());
        host->resize(680, host->heightForWidth(680));
        QCoreApplication::processEvents();
        settle(host.get());
        const QImage image = host->grab().toImage();
        image.save(shotsDirectory(QStringLiteral("cards")).filePath(name + QStringLiteral(".png")));
        return image;
    }
    QPoint inHost(QWidget* w, QPointF p) { return w->mapTo(host.get(), p.toPoint()); }

    QTemporaryDir bundles;
    ShelfHeader* header = nullptr;
    DockShelfView* shelf = nullptr;
    std::unique_ptr<CanvasHost> host;
};

TEST_F(DockShelfRender, TwentyApplicationsInLightAndDark) {
    ASSERT_EQ(shelf->tiles().size(), 20u);
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        const QImage image = shoot(dark ? QStringLiteral("shelf-dark") : QStringLiteral("shelf-light"));
        // The well shows between the padding and the first tile; icons were loaded from the bundles.
        EXPECT_TRUE(near(colorAt(image, inHost(shelf, QPointF(10, shelf->height() / 2.0))), Palette::well()));
        ShelfTile* first = shelf->tiles()[0];
        const QColor iconCentre = colorAt(image, inHost(first, first->keyRect().center() + QPointF(-14, -14)));
        EXPECT_FALSE(near(iconCentre, Palette::raised(), 20));
        EXPECT_TRUE(near(colorAt(image, inHost(first, first->keyRect().topLeft() + QPointF(6, 38))), Palette::raised()));
    }
}

TEST_F(DockShelfRender, HoveredTileAndDropBar) {
    ShelfTile* hovered = shelf->tiles()[2];
    ShelfTile* target = shelf->tiles()[8];
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        const QPointF at = hovered->keyRect().center();
        QEnterEvent enter(at, at, hovered->mapToGlobal(at));
        QApplication::sendEvent(hovered, &enter);
        QMimeData data;
        data.setText(QString::fromStdString(shelf->tiles()[0]->app().id));
        QDragEnterEvent drag(target->rect().center(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drag);
        QDragEnterEvent dragAdd(shelf->addTile()->rect().center(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(shelf->addTile(), &dragAdd);
        const QImage image = shoot(dark ? QStringLiteral("shelf-drop-dark") : QStringLiteral("shelf-drop-light"));

        const QRect bar = target->dropBar()->geometry();
        EXPECT_TRUE(near(colorAt(image, inHost(target, QPointF(bar.center()))), Palette::accent()));
        const QRect addBar = shelf->addTile()->dropBar()->geometry();
        EXPECT_TRUE(near(colorAt(image, inHost(shelf->addTile(), QPointF(addBar.center()))), Palette::accent()));
        // The hovered key's face is raisedHover, the badge's circle ink.
        EXPECT_TRUE(
            near(colorAt(image, inHost(hovered, hovered->keyRect().topLeft() + QPointF(6, 38))), Palette::raisedHover()));
        const QRect badge = hovered->removeButton()->geometry();
        EXPECT_TRUE(near(colorAt(image, inHost(hovered, QPointF(badge.left() + 4, badge.center().y()))), Palette::ink(), 40));

        // One drag has one target at a time (the one that took it last, here the add tile): it
        // leaves the add tile for the tile, then leaves the shelf.
        QDragLeaveEvent leave;
        QApplication::sendEvent(shelf->addTile(), &leave);
        QApplication::sendEvent(target, &drag);
        QApplication::sendEvent(target, &leave);
        QEvent leaveHover(QEvent::Leave);
        QApplication::sendEvent(hovered, &leaveHover);
        settle(host.get());
        EXPECT_FALSE(target->dropBar()->isVisible());
        EXPECT_FALSE(hovered->removeButton()->isVisible());
    }
}

TEST_F(DockShelfRender, EmptyPreset) {
    for (ShelfTile* tile : std::vector<ShelfTile*>(shelf->tiles())) model->removeApp(tile->app().id);
    ASSERT_TRUE(shelf->tiles().empty());
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        const QImage image = shoot(dark ? QStringLiteral("shelf-empty-dark") : QStringLiteral("shelf-empty-light"));
        EXPECT_TRUE(near(colorAt(image, inHost(shelf, QPointF(shelf->width() - 12, shelf->height() - 12))),
                         Palette::well()));
    }
}

}  // namespace
