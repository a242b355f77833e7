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
#include <map>
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

// A point of the face that no label covers: a few points in from the left, at mid-height.
QPoint faceProbe(const QRectF& face) {
    return QPoint(int(face.left() + 4), int(face.center().y()));
}

TEST_F(KeyButtonsTest, ProminentButtonDrawsOnAccentAndItsFaceGrowsWithTheText) {
    KeyButton button(QStringLiteral("Save"), KeyButton::Style{.prominent = true, .compact = true});
    const QImage image = testing::renderWidget(button);
    testing::savePNG(image, QStringLiteral("keybutton-compact-prominent"));
    const QRectF face = button.restingFaceRect();
    EXPECT_TRUE(nearRGBA(pixel(image, faceProbe(face).x(), faceProbe(face).y()), Palette::accent()));
    // The text is drawn in onAccent on the accent face.
    int textPixels = 0;
    for (int y = int(face.top()); y < int(face.bottom()); ++y)
        for (int x = int(face.left()); x < int(face.right()); ++x)
            if (nearRGBA(pixel(image, x, y), Palette::onAccent(), 30)) ++textPixels;
    EXPECT_GT(textPixels, 10);

    const QSize small = button.sizeHint();
    button.setText(QStringLiteral("Restore Original Dock"));
    EXPECT_GT(button.sizeHint().width(), small.width());
    EXPECT_EQ(button.sizeHint().height(), small.height());
}

TEST_F(KeyButtonsTest, DisabledButtonIsFadedButStillShowsFaceAndSide) {
    KeyButton enabled(QStringLiteral("Cancel"));
    KeyButton disabled(QStringLiteral("Cancel"));
    disabled.setEnabled(false);
    const QImage on = testing::renderWidget(enabled);
    const QImage off = testing::renderWidget(disabled);
    testing::savePNG(off, QStringLiteral("keybutton-disabled"));

    // Faded as one layer: face and side keep their colours at the same opacity.
    EXPECT_NEAR(testing::maxAlpha(off), 0.45 * testing::maxAlpha(on), 2);
    const QRectF face = disabled.restingFaceRect();
    const QPoint probe = faceProbe(face);
    QColor faceColour = pixel(off, probe.x(), probe.y());
    EXPECT_EQ(faceColour.alpha(), testing::maxAlpha(off));
    faceColour.setAlpha(255);
    EXPECT_TRUE(nearRGBA(faceColour, Palette::raised(), 4)) << testing::describe(faceColour);
    QColor sideColour = pixel(off, int(face.center().x()), int(face.bottom()) + 1);
    sideColour.setAlpha(255);
    EXPECT_TRUE(nearRGBA(sideColour, Palette::keySide(), 4)) << testing::describe(sideColour);
}

TEST_F(KeyButtonsTest, RealPointerPressOnThePlateSpringsTheTileDown) {
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

    // Spring of response 0.24 s, damping 0.58: past the target within a response, then settled.
    double peak = 0;
    for (int ms = 0; ms <= 240; ms += 16) {
        press.setCurrentTime(ms);
        peak = std::max(peak, tile.pressProgress());
    }
    EXPECT_GT(peak, 1.05);
    press.setCurrentTime(press.duration() - 16);
    EXPECT_NEAR(tile.pressProgress(), 1, 0.01);

    QTest::mouseRelease(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(press.endValue().toReal(), 0);
    press.setCurrentTime(press.duration());
    EXPECT_EQ(press.state(), QAbstractAnimation::Stopped);
    EXPECT_EQ(tile.pressProgress(), 0);
}

TEST_F(KeyButtonsTest, KeyButtonsEaseOutAndReduceMotionSwapsTheSpringForAShortEase) {
    KeyButton button(QStringLiteral("Go"));
    button.setDown(true);
    testing::renderWidget(button);  // painting notices the new state
    button.pressAnimation().setCurrentTime(30);
    EXPECT_GT(button.pressProgress(), 0.6);  // an ease-out covers most of the way early
    EXPECT_LT(button.pressProgress(), 1);

    ReduceMotion::setOverride(true);
    KeyTileButton tile;
    tile.setDown(true);
    testing::renderWidget(tile);
    tile.pressAnimation().setCurrentTime(60);
    EXPECT_NEAR(tile.pressProgress(), 0.5, 0.01);  // ease-in-out is half-way at half-time
    tile.pressAnimation().setCurrentTime(120);
    EXPECT_EQ(tile.pressProgress(), 1);
    EXPECT_EQ(tile.pressAnimation().state(), QAbstractAnimation::Stopped);
    // The key button does not animate at all with reduce motion.
    KeyButton still(QStringLiteral("Go"));
    still.setDown(true);
    testing::renderWidget(still);
    EXPECT_EQ(still.pressProgress(), 1);
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
    auto* button = new KeyButton(QStringLiteral("Change"), KeyButton::Style{.compact = true}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);

    button->clearFocus();
    const QImage unfocused = testing::renderWidget(*button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->restingFaceRect().center().toPoint());
    EXPECT_FALSE(button->hasFocus());

    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button->hasFocus());
    const QImage focused = testing::renderWidget(*button);
    testing::savePNG(focused, QStringLiteral("keybutton-focused"));
    const QRectF face = button->restingFaceRect();
    // The ring runs 2 to 4 points outside the plate, in accent (over the shadow's edge).
    const int y = int(face.center().y());
    for (int x : {int(face.left() - KeySurfaceButton::focusRingGap - 2), int(face.right() + KeySurfaceButton::focusRingGap + 1)}) {
        const QColor ring = pixel(focused, x, y);
        EXPECT_GT(ring.alpha(), 140) << x;
        EXPECT_GT(ring.blue(), ring.red() + 40) << testing::describe(ring);
        EXPECT_LT(qAlpha(unfocused.pixel(x, y)), 60) << x;
    }
    // Right next to the plate there is a gap.
    EXPECT_LT(qAlpha(focused.pixel(int(face.left()) - 1, y)), 80);
}

// Every button style at rest, hovered, pressed and disabled in both appearances, each kept as a PNG
// for a person to look at: dark differs from light, pressing (and on tiles the pointer) shows, and
// disabled is fainter.
TEST_F(KeyButtonsTest, EveryStyleShowsItsStatesInBothAppearances) {
    QPixmap iconPixmap(72, 72);
    iconPixmap.fill(QColor(0xE8, 0x6A, 0x3C));
    const QIcon icon(iconPixmap);
    auto tile = [&](qreal side, qreal corner, qreal depth, int iconSide, bool ringed = false) {
        auto button = std::make_unique<KeyTileButton>(side, corner, depth);
        if (ringed) button->setRing(Palette::Swatch::accent);
        button->setIcon(icon);
        button->setIconSize(QSize(iconSide, iconSide));
        return button;
    };
    const std::vector<std::pair<QString, std::function<std::unique_ptr<QAbstractButton>()>>> subjects = {
        {"key-button", [] { return std::make_unique<KeyButton>(QStringLiteral("Cancel")); }},
        {"key-button-prominent", [] { return std::make_unique<KeyButton>(QStringLiteral("Save"), KeyButton::Style{.prominent = true}); }},
        {"key-button-active",
         [] { return std::make_unique<KeyButton>(QStringLiteral("From Dock"), KeyButton::Style{.compact = true, .active = true}); }},
        {"key-tile", [&] { return tile(60, 13, 3, 36); }},
        {"key-tile-ring", [&] { return tile(76, 16, 4, 44, true); }},
        {"icon-button", [] { return std::make_unique<IconButton>(Symbol::xmark, 10, QFont::Bold); }},
    };
    const char* states[] = {"rest", "hovered", "pressed", "disabled"};
    for (const auto& [name, make] : subjects) {
        std::map<std::pair<bool, int>, QImage> images;
        auto at = [&](bool dark, int state) { return images.at(std::pair(dark, state)); };
        for (bool dark : {false, true}) {
            Palette::setDarkOverride(dark);
            for (int state = 0; state < 4; ++state) {
                std::unique_ptr<QAbstractButton> button = make();
                auto* key = qobject_cast<KeySurfaceButton*>(button.get());
                if (state == 1 && key) key->setHovered(true);
                if (state == 2) {
                    button->setDown(true);
                    if (key) key->setPressProgress(1);
                }
                if (state == 3) button->setEnabled(false);
                const QImage image = testing::renderWidget(*button, 2);
                testing::savePNG(image, name + "-" + states[state] + (dark ? "-dark" : "-light"));
                images[{dark, state}] = image;
            }
        }
        EXPECT_NE(at(false, 0), at(true, 0)) << name.toStdString() << ": dark looks like light";
        EXPECT_NE(at(false, 0), at(false, 2)) << name.toStdString() << ": pressing changes nothing";
        if (name.startsWith(QStringLiteral("key-tile"))) {
            EXPECT_NE(at(false, 0), at(false, 1)) << name.toStdString() << ": the pointer changes nothing";
        }
        for (bool dark : {false, true})
            EXPECT_LT(testing::maxAlpha(at(dark, 3)), testing::maxAlpha(at(dark, 0))) << name.toStdString() << ": disabled is not fainter";
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
    const QImage before = testing::renderWidget(*button);
    const int paintsBefore = button->paints;

    QApplication::setPalette(dark);
    // The change arrives through posted events; a few rounds of the event loop deliver the repaint.
    for (int round = 0; round < 10 && button->paints == paintsBefore; ++round) QCoreApplication::processEvents();
    EXPECT_TRUE(Palette::isDark());
    EXPECT_GT(button->paints, paintsBefore);
    const QImage after = testing::renderWidget(*button);
    const QPoint probe = faceProbe(button->restingFaceRect());
    EXPECT_TRUE(nearRGBA(pixel(before, probe.x(), probe.y()), Palette::color(Palette::Swatch::raised, false)));
    EXPECT_TRUE(nearRGBA(pixel(after, probe.x(), probe.y()), Palette::color(Palette::Swatch::raised, true)));

    QApplication::setPalette(original);
}

}  // namespace
}  // namespace kestrine
