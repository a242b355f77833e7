// The key buttons: their looks in each state and their behaviour with mouse and keyboard.
#include "app/style/IconButton.h"
#include "app/style/IconButtonStyle.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyTileButton.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/style/RenderSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrine {
namespace {

using test::near;
using test::pixel;

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

// A point of the face that no label covers: a few points in from the left, at mid-height.
QPoint faceProbe(const QRectF& face) {
    return QPoint(int(face.left() + 4), int(face.center().y()));
}

TEST_F(KeyButtonsTest, CompactProminentButtonMetricsAndColours) {
    const KeyButtonStyle style{.prominent = true, .compact = true, .active = false};
    EXPECT_EQ(style.corner(), 7);
    EXPECT_EQ(style.padding(), QSizeF(9, 4));
    EXPECT_EQ(style.textColor(), Palette::onAccent());
    const KeySurface::Params params = style.surface(0);
    EXPECT_EQ(params.face, Palette::accent());
    EXPECT_EQ(params.side, Palette::accentSide());
    EXPECT_EQ(params.depth, 2);
    EXPECT_FALSE(params.ring.has_value());

    const KeyButtonStyle regular;
    EXPECT_EQ(regular.corner(), 9);
    EXPECT_EQ(regular.padding(), QSizeF(14, 6));
    EXPECT_GT(regular.font().pixelSize(), style.font().pixelSize());  // callout over caption
    EXPECT_EQ(regular.surface(0).face, Palette::raised());
    EXPECT_EQ((KeyButtonStyle{.active = true}).surface(0).ring, Palette::accent());

    KeyButton button(QStringLiteral("Save"), style);
    const QImage image = test::renderWidget(button);
    test::savePNG(image, QStringLiteral("keybutton-compact-prominent"));
    const QRectF face = button.restingFaceRect();
    EXPECT_EQ(face.size(), style.faceSize(QStringLiteral("Save")));
    EXPECT_TRUE(near(pixel(image, faceProbe(face).x(), faceProbe(face).y()), Palette::accent()));
    // The text is drawn in onAccent on the accent face.
    int textPixels = 0;
    for (int y = int(face.top()); y < int(face.bottom()); ++y)
        for (int x = int(face.left()); x < int(face.right()); ++x)
            if (near(pixel(image, x, y), Palette::onAccent(), 30)) ++textPixels;
    EXPECT_GT(textPixels, 10);
}

TEST_F(KeyButtonsTest, FaceGrowsWithTheText) {
    KeyButton button(QStringLiteral("OK"));
    const QSize small = button.sizeHint();
    button.setText(QStringLiteral("Restore Original Dock"));
    EXPECT_GT(button.sizeHint().width(), small.width());
    EXPECT_EQ(button.sizeHint().height(), small.height());
}

TEST_F(KeyButtonsTest, DisabledButtonIsFadedButStillShowsFaceAndSide) {
    KeyButton enabled(QStringLiteral("Cancel"));
    KeyButton disabled(QStringLiteral("Cancel"));
    disabled.setEnabled(false);
    const QImage on = test::renderWidget(enabled);
    const QImage off = test::renderWidget(disabled);
    test::savePNG(off, QStringLiteral("keybutton-disabled"));

    EXPECT_EQ(test::maxAlpha(on), 255);
    EXPECT_NEAR(test::maxAlpha(off), 0.45 * 255, 2);
    const QRectF face = disabled.restingFaceRect();
    const QPoint probe = faceProbe(face);
    QColor faceColour = pixel(off, probe.x(), probe.y());
    EXPECT_NEAR(faceColour.alpha(), 115, 2);
    faceColour.setAlpha(255);
    EXPECT_TRUE(near(faceColour, Palette::raised(), 4)) << test::describe(faceColour);
    QColor sideColour = pixel(off, int(face.center().x()), int(face.bottom()) + 1);
    sideColour.setAlpha(255);
    EXPECT_TRUE(near(sideColour, Palette::keySide(), 4)) << test::describe(sideColour);
}

TEST_F(KeyButtonsTest, PressedButtonFaceSinksByTheDepth) {
    KeyButton button(QStringLiteral("Change"), KeyButtonStyle{.compact = true});
    const QImage up = test::renderWidget(button);
    button.setDown(true);
    button.pressAnimator().jumpTo(1);
    const QImage down = test::renderWidget(button);
    test::savePNG(down, QStringLiteral("keybutton-pressed"));
    const int column = faceProbe(button.restingFaceRect()).x();
    const int upRow = test::firstRowWith(up, column, Palette::raised());
    const int downRow = test::firstRowWith(down, column, Palette::raised());
    ASSERT_GE(upRow, 0);
    EXPECT_EQ(downRow - upRow, int(KeyButtonStyle::depth));
}

TEST_F(KeyButtonsTest, TileFaceLightensUnderThePointerAndCarriesItsRing) {
    KeyTileButton tile(KeyTileStyle::square(60, 13, 3));
    const QRectF face = tile.restingFaceRect();
    const QPoint probe = faceProbe(face);
    EXPECT_EQ(face.size(), QSizeF(60, 60));

    const QImage rest = test::renderWidget(tile);
    tile.setHovered(true);
    const QImage hovered = test::renderWidget(tile);
    tile.setRing(Palette::Swatch::accent);
    const QImage ringed = test::renderWidget(tile);
    test::savePNG(hovered, QStringLiteral("keytile-hovered"));
    test::savePNG(ringed, QStringLiteral("keytile-ring"));

    EXPECT_TRUE(near(pixel(rest, probe.x(), probe.y()), Palette::raised()));
    EXPECT_TRUE(near(pixel(hovered, probe.x(), probe.y()), Palette::raisedHover()));
    EXPECT_TRUE(near(pixel(ringed, int(face.left()), probe.y()), Palette::accent()));
    EXPECT_FALSE(near(pixel(hovered, int(face.left()), probe.y()), Palette::accent()));
}

TEST_F(KeyButtonsTest, RealPointerPressSpringsTheTileDown) {
    double now = 100;
    KeyTileButton tile(KeyTileStyle::square(60, 13, 3));
    tile.pressAnimator().setClock([&] { return now; });
    tile.resize(tile.sizeHint());
    const QPoint centre = tile.restingFaceRect().center().toPoint();

    QTest::mousePress(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(tile.isDown());
    EXPECT_EQ(tile.pressProgress(), 0);  // the press starts from rest
    EXPECT_TRUE(tile.pressAnimator().isRunning());

    // Spring of response 0.24 s, damping 0.58: past the target within a response, then settled.
    double peak = 0;
    for (int i = 0; i < 30; ++i) {
        now += 1.0 / 60;
        tile.pressAnimator().tick();
        peak = std::max(peak, tile.pressProgress());
    }
    EXPECT_GT(peak, 1.05);
    EXPECT_NEAR(tile.pressProgress(), 1, 0.02);

    QSignalSpy clicked(&tile, &QAbstractButton::clicked);
    QTest::mouseRelease(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(tile.pressAnimator().target(), 0);
    for (int i = 0; i < 120; ++i) {
        now += 1.0 / 60;
        tile.pressAnimator().tick();
    }
    EXPECT_FALSE(tile.pressAnimator().isRunning());
    EXPECT_EQ(tile.pressProgress(), 0);
}

TEST_F(KeyButtonsTest, ReduceMotionSwapsTheSpringForAShortEase) {
    ReduceMotion::setOverride(true);
    double now = 5;
    KeyTileButton tile;
    tile.pressAnimator().setClock([&] { return now; });
    tile.setDown(true);
    test::renderWidget(tile);  // painting notices the new state
    now += 0.06;
    tile.pressAnimator().tick();
    EXPECT_NEAR(tile.pressProgress(), 0.5, 0.01);  // ease-in-out is half-way at half-time
    now += 0.0601;
    tile.pressAnimator().tick();
    EXPECT_EQ(tile.pressProgress(), 1);
    EXPECT_FALSE(tile.pressAnimator().isRunning());

    // The key button does not animate at all with reduce motion.
    KeyButton button(QStringLiteral("Go"));
    button.setDown(true);
    test::renderWidget(button);
    EXPECT_EQ(button.pressProgress(), 1);
}

TEST_F(KeyButtonsTest, KeyButtonPressEasesOutQuickly) {
    double now = 0;
    KeyButton button(QStringLiteral("Go"));
    button.pressAnimator().setClock([&] { return now; });
    button.setDown(true);
    test::renderWidget(button);
    now = 0.03;
    button.pressAnimator().tick();
    EXPECT_GT(button.pressProgress(), 0.6);  // an ease-out covers most of the way early
    EXPECT_LT(button.pressProgress(), 1);
    now = 0.061;
    button.pressAnimator().tick();
    EXPECT_EQ(button.pressProgress(), 1);
}

TEST_F(KeyButtonsTest, ReturnAndSpaceActivateAFocusedButton) {
    QWidget window;
    auto* first = new KeyButton(QStringLiteral("One"), {}, &window);
    auto* second = new KeyTileButton(KeyTileStyle::square(40, 9, 3), &window);
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
        EXPECT_EQ(clicked.count(), 3) << button->metaObject()->className();
        // Return with a modifier is left to the window (for example a default-button shortcut).
        QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(clicked.count(), 3);
        button->setEnabled(false);
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_EQ(clicked.count(), 3);
    }
}

TEST_F(KeyButtonsTest, KeyboardFocusShowsARingAndClicksDoNotTakeFocus) {
    QWidget window;
    auto* button = new KeyButton(QStringLiteral("Change"), KeyButtonStyle{.compact = true}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);

    button->clearFocus();
    const QImage unfocused = test::renderWidget(*button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->restingFaceRect().center().toPoint());
    EXPECT_FALSE(button->hasFocus());

    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button->hasFocus());
    const QImage focused = test::renderWidget(*button);
    test::savePNG(focused, QStringLiteral("keybutton-focused"));
    const QRectF face = button->restingFaceRect();
    // The ring runs 2 to 4 points outside the plate, in accent (over the shadow's edge).
    const int y = int(face.center().y());
    for (int x : {int(face.left() - KeySurfaceButton::focusRingGap - 2), int(face.right() + KeySurfaceButton::focusRingGap + 1)}) {
        const QColor ring = pixel(focused, x, y);
        EXPECT_GT(ring.alpha(), 140) << x;
        EXPECT_GT(ring.blue(), ring.red() + 40) << test::describe(ring);
        EXPECT_LT(qAlpha(unfocused.pixel(x, y)), 60) << x;
    }
    // Right next to the plate there is a gap.
    EXPECT_LT(qAlpha(focused.pixel(int(face.left()) - 1, y)), 80);
}

TEST_F(KeyButtonsTest, ClicksOutsideThePlateDoNotCount) {
    KeyTileButton tile(KeyTileStyle::square(60, 13, 3));
    tile.resize(tile.sizeHint());
    QSignalSpy clicked(&tile, &QAbstractButton::clicked);
    QTest::mouseClick(&tile, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));  // in the shadow margin
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(&tile, Qt::LeftButton, Qt::NoModifier, tile.restingFaceRect().center().toPoint());
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(KeyButtonsTest, IconButtonBackgroundDeepensWhilePressed) {
    EXPECT_EQ(IconButtonStyle::frameSize(), QSizeF(28, 28));
    IconButton button(Symbol::gearshape, 13, QFont::Medium);
    const QImage rest = test::renderWidget(button);
    button.setDown(true);
    const QImage pressed = test::renderWidget(button);
    button.setDown(false);
    button.setEnabled(false);
    const QImage disabled = test::renderWidget(button);
    test::savePNG(rest, QStringLiteral("iconbutton-rest"));
    test::savePNG(pressed, QStringLiteral("iconbutton-pressed"));

    // A corner of the frame, clear of the symbol.
    const QRectF frame = button.frameRect();
    const QPoint probe(int(frame.left() + 4), int(frame.top() + 4));
    EXPECT_NEAR(qAlpha(rest.pixel(probe)), 0.07 * 255, 2);
    EXPECT_NEAR(qAlpha(pressed.pixel(probe)), 0.16 * 255, 2);
    // The symbol is drawn in ink, and everything is faded when disabled.
    EXPECT_GT(test::countNear(rest, Palette::ink(), 20), 10);
    EXPECT_NEAR(test::maxAlpha(disabled), 0.45 * test::maxAlpha(rest), 3);
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
    QPalette light = original;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    light.setColor(QPalette::WindowText, QColor(10, 10, 10));
    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));

    QApplication::setPalette(light);
    QWidget window;
    auto* button = new CountingKeyButton(QStringLiteral("Save"), {}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const QImage before = test::renderWidget(*button);
    const int paintsBefore = button->paints;

    QApplication::setPalette(dark);
    // The change arrives through posted events; a few rounds of the event loop deliver the repaint.
    for (int round = 0; round < 10 && button->paints == paintsBefore; ++round) QCoreApplication::processEvents();
    EXPECT_TRUE(Palette::isDark());
    EXPECT_GT(button->paints, paintsBefore);
    const QImage after = test::renderWidget(*button);
    const QPoint probe = faceProbe(button->restingFaceRect());
    EXPECT_TRUE(near(pixel(before, probe.x(), probe.y()), Palette::color(Palette::Swatch::raised, false)));
    EXPECT_TRUE(near(pixel(after, probe.x(), probe.y()), Palette::color(Palette::Swatch::raised, true)));

    QApplication::setPalette(original);
}

}  // namespace
}  // namespace kestrine
