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
const QRectF kFaceRect(20, 20, 60, 40);  // depth 4: the plate ends at row 64

// A 60 × 40 face at (20, 20) with depth 4 and colours that cannot be confused.
QImage render(bool down, std::optional<QColor> ring = {}, QColor highlight = Qt::transparent) {
    KeySurface::Params params;
    params.corner = 8;
    params.depth = 4;
    params.face = kFace;
    params.side = kSide;
    params.highlight = highlight;
    params.shadow = QColor(0, 0, 0, 128);
    params.ring = ring;
    params.setDown(down);
    return testing::renderWith(QSize(100, 90), [&](QPainter& p) { KeySurface::paint(p, kFaceRect, params); });
}

int firstFaceRow(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        if (nearRGBA(pixel(image, 50, y), kFace)) return y;
    return -1;
}

TEST(KeySurfaceTest, PressedFaceSinksByExactlyItsDepthAndNeverLeavesItsPlate) {
    const QImage up = render(false), down = render(true);
    EXPECT_EQ(firstFaceRow(up), 20);
    EXPECT_EQ(firstFaceRow(down), 24);
    // At rest `depth` rows of side show below the face; pressed, above it. Nothing but the
    // shadow is drawn below the plate.
    for (int y = 20; y < 64; ++y) {
        EXPECT_TRUE(nearRGBA(pixel(up, 50, y), y < 60 ? kFace : kSide)) << "up, row " << y;
        EXPECT_TRUE(nearRGBA(pixel(down, 50, y), y < 24 ? kSide : kFace)) << "down, row " << y;
    }
    EXPECT_FALSE(nearRGBA(pixel(up, 50, 64), kSide));
    EXPECT_FALSE(nearRGBA(pixel(down, 50, 64), kFace));

    // A partial press moves the face in proportion; a spring's overshoot never pushes it off.
    KeySurface::Params params;
    params.depth = 4;
    for (auto [press, top] : {std::pair(0.5, 22), std::pair(2.0, 24), std::pair(-1.0, 20)}) {
        params.press = press;
        EXPECT_EQ(KeySurface::faceRect(kFaceRect, params).top(), top) << press;
    }
}

TEST(KeySurfaceTest, ShadowFallsDownTightensWhenPressedAndStaysInsideItsMargins) {
    const QImage up = render(false), down = render(true);
    const int upAlpha = qAlpha(up.pixel(50, 68));
    EXPECT_GT(upAlpha, 20);
    EXPECT_LE(qAlpha(down.pixel(50, 68)), 2);
    EXPECT_LT(qAlpha(up.pixel(50, 16)), upAlpha);
    EXPECT_GT(qAlpha(up.pixel(16, 45)), qAlpha(down.pixel(16, 45)));

    const QMarginsF margins = KeySurface::shadowMargins();
    const QRectF plate = KeySurface::plateRect(kFaceRect, 4);
    EXPECT_LE(qAlpha(up.pixel(50, int(plate.bottom() + margins.bottom() + 1))), 1);
    EXPECT_LE(qAlpha(up.pixel(int(plate.right() + margins.right() + 1), 45)), 1);
    EXPECT_LE(qAlpha(up.pixel(int(plate.left() - margins.left() - 2), 45)), 1);
}

TEST(KeySurfaceTest, RingAndHighlightAreDrawnInsideTheFaceEdge) {
    const QColor ring(20, 180, 60);
    const QImage ringed = render(false, ring);
    // The ring is 2 points wide, inside the face.
    for (auto [x, y, colour] : {std::tuple(20, 40, ring), std::tuple(21, 40, ring), std::tuple(22, 40, kFace),
                                std::tuple(79, 40, ring), std::tuple(50, 20, ring)})
        EXPECT_TRUE(nearRGBA(pixel(ringed, x, y), colour)) << x << "," << y << " " << testing::describe(pixel(ringed, x, y));
    EXPECT_TRUE(nearRGBA(pixel(render(false), 20, 40), kFace));

    // The highlight brightens the top edge only: lower edges and the inside stay plain face.
    const QImage lit = render(false, {}, QColor(255, 255, 255, 230));
    const QColor top = pixel(lit, 50, 20);
    EXPECT_GT(top.red() + top.green() + top.blue(), kFace.red() + kFace.green() + kFace.blue() + 150);
    for (auto [x, y] : {std::pair(20, 50), std::pair(50, 59), std::pair(50, 22)}) EXPECT_TRUE(nearRGBA(pixel(lit, x, y), kFace)) << x << "," << y;
}

TEST(KeyCapTest, CapsWidenWithTheirTextAndSmallOnesShowAtLeastOneAndAHalfPointsOfSide) {
    const QSizeF digit = KeyCap::faceSize(QStringLiteral("1"), 12);
    EXPECT_NEAR(digit.height(), KeyCap::metrics(12).minSide, 1e-9);
    EXPECT_NEAR(digit.width(), digit.height() + 4, 1e-9);  // plus 2 points each side
    EXPECT_GT(KeyCap::faceSize(QStringLiteral("Space"), 12).width(), digit.width());
    for (auto [size, depth] : {std::pair(9.0, 1.5), std::pair(2.0, 1.5)}) EXPECT_DOUBLE_EQ(KeyCap::metrics(size).depth, depth);
    EXPECT_GT(KeyCap::metrics(12).depth, 1.5);

    Palette::setDarkOverride(false);
    KeyCap cap(QStringLiteral("1"), 4);
    const qreal dpr = 4;
    const QImage image = testing::renderWidget(cap, dpr);
    testing::savePNG(image, QStringLiteral("keycap-tiny"));
    const QRectF face = cap.restingFaceRect();
    int sideRows = 0;
    for (int y = int(face.bottom() * dpr) - 2; y < image.height(); ++y)
        if (nearRGBA(pixel(image, int(face.center().x() * dpr), y), Palette::keySide(), 6)) ++sideRows;
    EXPECT_NEAR(sideRows, 1.5 * dpr, 1);
    Palette::setDarkOverride(std::nullopt);
}

}  // namespace
}  // namespace kestrine
