// The key surface drawn into images: face, side plate, press travel, shadow, ring and highlight.
#include "app/style/KeyCap.h"
#include "app/style/KeySurface.h"
#include "app/style/Palette.h"
#include "tests/app/support/RenderSupport.h"

#include <gtest/gtest.h>

namespace kestrine {
namespace {

using testing::nearRGBA;
using testing::pixel;

const QColor kFace(200, 40, 40);
const QColor kSide(30, 40, 200);
const QColor kRing(20, 180, 60);

// A 60 × 40 face at (20, 20) with depth 4 and colours that cannot be confused.
KeySurface::Params plainParams(bool down) {
    KeySurface::Params params;
    params.corner = 8;
    params.depth = 4;
    params.face = kFace;
    params.side = kSide;
    params.highlight = QColor(Qt::transparent);
    params.shadow = QColor(0, 0, 0, 128);
    params.setDown(down);
    return params;
}

const QRectF kFaceRect(20, 20, 60, 40);

QImage render(const KeySurface::Params& params, const char* name) {
    QImage image = testing::renderWith(QSize(100, 90), [&](QPainter& p) { KeySurface::paint(p, kFaceRect, params); });
    testing::savePNG(image, QString::fromLatin1(name));
    return image;
}

TEST(KeySurfaceTest, PressedFaceSinksByExactlyItsDepth) {
    const QImage up = render(plainParams(false), "surface-up");
    const QImage down = render(plainParams(true), "surface-down");
    const int column = 50;

    EXPECT_EQ(testing::firstRowWith(up, column, kFace), 20);
    EXPECT_EQ(testing::firstRowWith(down, column, kFace), 24);

    // At rest the face covers the top of the plate and `depth` rows of side show below it.
    for (int y = 20; y < 60; ++y) EXPECT_TRUE(nearRGBA(pixel(up, column, y), kFace)) << "row " << y;
    for (int y = 60; y < 64; ++y) EXPECT_TRUE(nearRGBA(pixel(up, column, y), kSide)) << "row " << y;
    // Pressed, the face covers the bottom of the plate and the top `depth` rows of side show.
    for (int y = 20; y < 24; ++y) EXPECT_TRUE(nearRGBA(pixel(down, column, y), kSide)) << "row " << y;
    for (int y = 24; y < 64; ++y) EXPECT_TRUE(nearRGBA(pixel(down, column, y), kFace)) << "row " << y;
    // Nothing is drawn over the plate's bottom edge in either state except the shadow.
    EXPECT_FALSE(nearRGBA(pixel(up, column, 64), kSide));
    EXPECT_FALSE(nearRGBA(pixel(down, column, 64), kFace));

    // A partial press moves the face in proportion; a spring's overshoot never pushes it off its plate.
    KeySurface::Params params = plainParams(false);
    for (auto [press, top] : {std::pair(0.5, 22), std::pair(2.0, 24), std::pair(-1.0, 20)}) {
        params.press = press;
        EXPECT_EQ(KeySurface::faceRect(kFaceRect, params).top(), top) << press;
    }
}

TEST(KeySurfaceTest, ShadowTightensWhenPressedAndStaysInsideItsMargins) {
    const QImage up = render(plainParams(false), "surface-shadow-up");
    const QImage down = render(plainParams(true), "surface-shadow-down");
    // Below the plate (which ends at row 64) the resting shadow is visible, the pressed one not.
    const int upAlpha = qAlpha(up.pixel(50, 68));
    EXPECT_GT(upAlpha, 20);
    EXPECT_LE(qAlpha(down.pixel(50, 68)), 2);
    // The shadow falls downwards: nothing above the plate at rest.
    EXPECT_LT(qAlpha(up.pixel(50, 16)), upAlpha);
    // And to the sides it spreads less when pressed.
    EXPECT_GT(qAlpha(up.pixel(16, 45)), qAlpha(down.pixel(16, 45)));

    // One pixel beyond the margins the resting shadow has faded out.
    const QMarginsF margins = KeySurface::shadowMargins();
    const QRectF plate = KeySurface::plateRect(kFaceRect, 4);
    EXPECT_LE(qAlpha(up.pixel(50, int(plate.bottom() + margins.bottom() + 1))), 1);
    EXPECT_LE(qAlpha(up.pixel(int(plate.right() + margins.right() + 1), 45)), 1);
    EXPECT_LE(qAlpha(up.pixel(int(plate.left() - margins.left() - 2), 45)), 1);
}

TEST(KeySurfaceTest, RingIsDrawnInsideTheFaceEdge) {
    KeySurface::Params params = plainParams(false);
    params.ring = kRing;
    const QImage ringed = render(params, "surface-ring");
    // The ring is 2 points wide, inside the face: columns 20 and 21 at mid-height.
    EXPECT_TRUE(nearRGBA(pixel(ringed, 20, 40), kRing)) << testing::describe(pixel(ringed, 20, 40));
    EXPECT_TRUE(nearRGBA(pixel(ringed, 21, 40), kRing));
    EXPECT_TRUE(nearRGBA(pixel(ringed, 22, 40), kFace));
    EXPECT_TRUE(nearRGBA(pixel(ringed, 79, 40), kRing));
    EXPECT_TRUE(nearRGBA(pixel(ringed, 50, 20), kRing));
    // Without a ring the edge is plain face.
    EXPECT_TRUE(nearRGBA(pixel(render(plainParams(false), "surface-plain"), 20, 40), kFace));
}

TEST(KeySurfaceTest, HighlightBrightensOnlyTheTopEdge) {
    KeySurface::Params params = plainParams(false);
    params.highlight = QColor(255, 255, 255, 230);
    const QImage image = render(params, "surface-highlight");
    const QColor top = pixel(image, 50, 20);
    EXPECT_GT(top.red() + top.green() + top.blue(), kFace.red() + kFace.green() + kFace.blue() + 150);
    // The gradient is transparent from the middle down: the lower edges are plain face.
    EXPECT_TRUE(nearRGBA(pixel(image, 20, 50), kFace));
    EXPECT_TRUE(nearRGBA(pixel(image, 50, 59), kFace));
    // Inside the 1-point border the face is untouched.
    EXPECT_TRUE(nearRGBA(pixel(image, 50, 22), kFace));
}

TEST(KeyCapTest, CapsWidenWithTheirTextButNeverShrinkBelowTheMinimumSquare) {
    const QSizeF digit = KeyCap::faceSize(QStringLiteral("1"), 12);
    EXPECT_NEAR(digit.height(), KeyCap::metrics(12).minSide, 1e-9);
    EXPECT_NEAR(digit.width(), digit.height() + 4, 1e-9);  // plus 2 points each side
    EXPECT_GT(KeyCap::faceSize(QStringLiteral("Space"), 12).width(), digit.width());
    // Very small caps never get a side thinner than 1.5.
    EXPECT_DOUBLE_EQ(KeyCap::metrics(9).depth, 1.5);
    EXPECT_DOUBLE_EQ(KeyCap::metrics(2).depth, 1.5);
    EXPECT_GT(KeyCap::metrics(12).depth, 1.5);
}

TEST(KeyCapTest, SmallCapShowsAtLeastOneAndAHalfPointsOfSide) {
    Palette::setDarkOverride(false);
    KeyCap cap(QStringLiteral("1"), 4);
    const qreal dpr = 4;
    const QImage image = testing::renderWidget(cap, dpr);
    testing::savePNG(image, QStringLiteral("keycap-tiny"));
    const QRectF face = cap.restingFaceRect();
    const int column = int((face.center().x()) * dpr);
    const QColor side = Palette::keySide();
    int sideRows = 0;
    for (int y = int(face.bottom() * dpr) - 2; y < image.height(); ++y)
        if (nearRGBA(pixel(image, column, y), side, 6)) ++sideRows;
    EXPECT_NEAR(sideRows, 1.5 * dpr, 1);
    Palette::setDarkOverride(std::nullopt);
}

}  // namespace
}  // namespace kestrine
