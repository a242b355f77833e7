// The key buttons: their looks in each state and their behaviour with mouse and keyboard.
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyTileButton.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/support/RenderSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kestrine {
namespace {

using testing::nearRGBA;
using testing::pixel;

class KeyButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Palette::setDarkOverride(false);
        ReduceMotion::setOverride(false);
    }
    void TearDown() override {
        Palette::setDarkOverride(std::nullopt);
        ReduceMotion::setOverride(std::nullopt);
    }
};

// The colour of the face a few points in from its left edge, at mid-height, where no label is.
QColor faceColour(const QImage& image, const KeySurfaceButton& button) {
    const QRectF face = button.restingFaceRect();
    return pixel(image, int(face.left() + 4), int(face.center().y()));
}

TEST_F(KeyButtonsTest, TheFaceGrowsWithTheTextButNotInHeight) {
    KeyButton button(QStringLiteral("Save"));
    const QSize small = button.sizeHint();
    button.setText(QStringLiteral("Restore Original Dock"));
    EXPECT_GT(button.sizeHint().width(), small.width());
    EXPECT_EQ(button.sizeHint().height(), small.height());
}

TEST_F(KeyButtonsTest, APointerPressOnThePlateClicksAndSpringsTheTileDownAndBack) {
    KeyTileButton tile;
    tile.resize(tile.sizeHint());
    const QPoint centre = tile.restingFaceRect().center().toPoint();
    QSignalSpy clicked(&tile, &QAbstractButton::clicked);
    QTest::mouseClick(&tile, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));  // in the shadow margin
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(tile.pressAnimation().state(), QAbstractAnimation::Stopped);

    QTest::mousePress(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(tile.isDown());
    QVariantAnimation& press = tile.pressAnimation();
    ASSERT_EQ(press.state(), QAbstractAnimation::Running);
    EXPECT_EQ(tile.pressProgress(), 0);  // the press starts from rest
    press.setCurrentTime(press.duration());
    QTest::mouseRelease(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(clicked.count(), 1);
    press.setCurrentTime(press.duration());
    EXPECT_EQ(tile.pressProgress(), 0);
}

// How far the face has travelled some time into a press: tiles spring (response 0.24 s, damping
// 0.58: past the target within a response), key buttons ease out; with reduce motion tiles ease in
// and out over 0.12 s and key buttons go down at once.
TEST_F(KeyButtonsTest, PressesMoveTheFaceAlongTheirCurve) {
    struct Row {
        const char* name;
        bool tile, reduceMotion;
        int ms;
        double atLeast, atMost;
    };
    const Row rows[] = {
        {"tile springs past the target", true, false, 147, 1.05, 1.5},
        {"tile settles", true, false, 444, 0.99, 1.01},
        {"button eases out", false, false, 30, 0.6, 0.99},
        {"tile eases in and out", true, true, 60, 0.49, 0.51},
        {"tile arrives", true, true, 120, 1, 1},
        {"button goes down at once", false, true, 0, 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ReduceMotion::setOverride(r.reduceMotion);
        std::unique_ptr<KeySurfaceButton> key;
        if (r.tile) key = std::make_unique<KeyTileButton>();
        else key = std::make_unique<KeyButton>(QStringLiteral("Go"));
        key->setDown(true);
        testing::renderWidget(*key);  // painting notices the new state
        if (key->pressAnimation().state() == QAbstractAnimation::Running) key->pressAnimation().setCurrentTime(r.ms);
        EXPECT_GE(key->pressProgress(), r.atLeast);
        EXPECT_LE(key->pressProgress(), r.atMost);
    }
}

TEST_F(KeyButtonsTest, ReturnAndSpaceActivateAFocusedButton) {
    QWidget window;
    auto* first = new KeyButton(QStringLiteral("One"), {}, &window);
    auto* second = new KeyTileButton(40, 9, 3, &window);
    auto* third = new IconButton(Symbol::xmark, 10, QFont::Bold, &window);
    second->move(0, 60);
    third->move(0, 140);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{first, second, third}) {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Space);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        // Return with a modifier is left to the window (a default-button shortcut); disabled ignores it.
        QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
        button->setEnabled(false);
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_EQ(clicked.count(), 3) << button->metaObject()->className();
    }
}

TEST_F(KeyButtonsTest, KeyboardFocusShowsARingAndClicksDoNotTakeFocus) {
    QWidget window;
    auto* button = new KeyButton(QStringLiteral("Change"), KeyButton::Style{.compact = true}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    button->clearFocus();
    const QImage unfocused = testing::renderWidget(*button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->restingFaceRect().center().toPoint());
    EXPECT_FALSE(button->hasFocus());

    button->setFocus(Qt::TabFocusReason);
    const QImage focused = testing::renderWidget(*button);
    testing::savePNG(focused, QStringLiteral("keybutton-focused"));
    const QRectF face = button->restingFaceRect();
    // The ring runs 2 to 4 points outside the plate, in accent; right next to the plate is a gap.
    const int y = int(face.center().y());
    for (int x : {int(face.left() - KeySurfaceButton::focusRingGap - 2), int(face.right() + KeySurfaceButton::focusRingGap + 1)}) {
        const QColor ring = pixel(focused, x, y);
        EXPECT_GT(ring.alpha(), 140) << x;
        EXPECT_GT(ring.blue(), ring.red() + 40) << testing::describe(ring);
        EXPECT_LT(qAlpha(unfocused.pixel(x, y)), 60) << x;
    }
    EXPECT_LT(qAlpha(focused.pixel(int(face.left()) - 1, y)), 80);
}

// Every button style at rest, hovered, pressed and disabled in both appearances, each kept as a PNG
// for a person to look at: dark differs from light, pressing (and on tiles the pointer) shows, the
// face has its colour, and disabled fades the whole button as one layer.
TEST_F(KeyButtonsTest, EveryStyleShowsItsStatesInBothAppearances) {
    QPixmap iconPixmap(72, 72);
    iconPixmap.fill(QColor(0xE8, 0x6A, 0x3C));
    auto tile = [icon = QIcon(iconPixmap)](qreal side, qreal corner, qreal depth, int iconSide, bool ringed) {
        auto button = std::make_unique<KeyTileButton>(side, corner, depth);
        if (ringed) button->setRing(Palette::Swatch::accent);
        button->setIcon(icon);
        button->setIconSize(QSize(iconSide, iconSide));
        return button;
    };
    struct Subject {
        QString name;
        std::function<std::unique_ptr<QAbstractButton>()> make;
        std::optional<Palette::Swatch> face;
    };
    const Subject subjects[] = {
        {"key-button", [] { return std::make_unique<KeyButton>(QStringLiteral("Cancel")); }, Palette::Swatch::raised},
        {"key-button-prominent",
         [] { return std::make_unique<KeyButton>(QStringLiteral("Save"), KeyButton::Style{.prominent = true}); }, Palette::Swatch::accent},
        {"key-button-active",
         [] { return std::make_unique<KeyButton>(QStringLiteral("From Dock"), KeyButton::Style{.compact = true, .active = true}); }, {}},
        {"key-tile", [&] { return tile(60, 13, 3, 36, false); }, {}},
        {"key-tile-ring", [&] { return tile(76, 16, 4, 44, true); }, {}},
        {"icon-button", [] { return std::make_unique<IconButton>(Symbol::xmark, 10, QFont::Bold); }, {}},
    };
    const char* states[] = {"rest", "hovered", "pressed", "disabled"};
    for (const Subject& subject : subjects) {
        SCOPED_TRACE(subject.name.toStdString());
        QImage images[2][4];
        for (bool dark : {false, true}) {
            Palette::setDarkOverride(dark);
            for (int state = 0; state < 4; ++state) {
                std::unique_ptr<QAbstractButton> button = subject.make();
                auto* key = qobject_cast<KeySurfaceButton*>(button.get());
                if (state == 1 && key) key->setHovered(true);
                if (state == 2) button->setDown(true);
                if (state == 2 && key) key->setPressProgress(1);
                button->setEnabled(state != 3);
                QImage& image = images[dark][state];
                image = testing::renderWidget(*button, 2);
                testing::savePNG(image, subject.name + "-" + states[state] + (dark ? "-dark" : "-light"));
                if (state == 0 && subject.face) {
                    const QRectF face = key->restingFaceRect();
                    EXPECT_TRUE(nearRGBA(pixel(image, int(face.left() + 4) * 2, int(face.center().y()) * 2), Palette::color(*subject.face, dark)));
                }
            }
            EXPECT_NEAR(testing::maxAlpha(images[dark][3]), 0.45 * testing::maxAlpha(images[dark][0]), 2) << "disabled";
        }
        EXPECT_NE(images[0][0], images[1][0]) << "dark looks like light";
        EXPECT_NE(images[0][0], images[0][2]) << "pressing changes nothing";
        if (subject.name.startsWith(QStringLiteral("key-tile"))) {
            EXPECT_NE(images[0][0], images[0][1]) << "the pointer changes nothing";
        }
    }
}

// Counts paints, to see the appearance change reach the widget.
class CountingKeyButton : public KeyButton {
public:
    using KeyButton::KeyButton;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        KeyButton::paintEvent(event);
    }
};

TEST_F(KeyButtonsTest, AnApplicationPaletteChangeRepaintsInTheOtherAppearance) {
    Palette::setDarkOverride(std::nullopt);
    const QPalette original = QApplication::palette();
    auto palette = [&](QColor window, QColor text) {
        QPalette p = original;
        p.setColor(QPalette::Window, window);
        p.setColor(QPalette::WindowText, text);
        return p;
    };
    QApplication::setPalette(palette(QColor(240, 240, 240), QColor(10, 10, 10)));
    QWidget window;
    auto* button = new CountingKeyButton(QStringLiteral("Save"), {}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const QImage before = testing::renderWidget(*button);
    const int paintsBefore = button->paints;

    QApplication::setPalette(palette(QColor(30, 30, 30), QColor(230, 230, 230)));
    // The change arrives through posted events; a few rounds of the event loop deliver the repaint.
    for (int round = 0; round < 10 && button->paints == paintsBefore; ++round) QCoreApplication::processEvents();
    EXPECT_GT(button->paints, paintsBefore);
    EXPECT_TRUE(nearRGBA(faceColour(before, *button), Palette::color(Palette::Swatch::raised, false)));
    EXPECT_TRUE(nearRGBA(faceColour(testing::renderWidget(*button), *button), Palette::color(Palette::Swatch::raised, true)));
    QApplication::setPalette(original);
}

}  // namespace
}  // namespace kestrine
