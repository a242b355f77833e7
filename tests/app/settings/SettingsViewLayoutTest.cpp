// The layout pieces under the settings window: rows and columns that place widgets by their
// visible part, wrapping text, and where the more popover goes.
#include "app/layout/LayoutOverhang.h"
#include "app/settings/MorePopover.h"
#include "app/style/OverhangBoxLayout.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kestrine;

namespace {

/// A widget of a fixed ideal size that keeps `room` around it for a shadow.
class Box : public QWidget {
public:
    Box(QSize visible, QMargins room, QWidget* parent) : QWidget(parent), visible_(visible), room_(room) {
        LayoutOverhang::set(this, room);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        return visible_ + QSize(room_.left() + room_.right(), room_.top() + room_.bottom());
    }
    QRect visibleRect() const { return geometry().marginsRemoved(room_); }

private:
    QSize visible_;
    QMargins room_;
};

const QMargins kShadow(8, 4, 8, 12);

TEST(OverhangBoxLayout, ARowMeasuresSpacingBetweenVisibleEdgesAndCentresAcross) {
    QWidget host;
    auto* row = new OverhangBoxLayout(Qt::Horizontal, 6, &host);
    auto* a = new Box(QSize(20, 20), kShadow, &host);
    auto* b = new Box(QSize(40, 30), kShadow, &host);
    auto* c = new Box(QSize(10, 10), QMargins(), &host);
    row->addWidget(a, {OverhangBoxLayout::Cross::center, 0, false});
    row->addWidget(b, {OverhangBoxLayout::Cross::center, 4, false});
    row->addWidget(c, {OverhangBoxLayout::Cross::leading, 0, false});
    EXPECT_EQ(row->sizeHint(), QSize(20 + 6 + 4 + 40 + 6 + 10, 30));
    row->setGeometry(QRect(100, 50, 200, 30));
    EXPECT_EQ(a->visibleRect(), QRect(100, 55, 20, 20));
    EXPECT_EQ(b->visibleRect(), QRect(130, 50, 40, 30)) << "spacing 6 plus a leading 4";
    EXPECT_EQ(c->visibleRect(), QRect(176, 50, 10, 10));
    // The shadow room reaches outside the slots.
    EXPECT_EQ(a->geometry(), QRect(92, 51, 36, 36));
}

TEST(OverhangBoxLayout, HiddenWidgetsTakeNoSlotAndStretchesTakeWhatIsLeft) {
    QWidget host;
    auto* row = new OverhangBoxLayout(Qt::Horizontal, 10, &host);
    auto* a = new Box(QSize(20, 20), QMargins(), &host);
    auto* hidden = new Box(QSize(50, 20), QMargins(), &host);
    auto* b = new Box(QSize(30, 20), QMargins(), &host);
    row->addWidget(a, {});
    row->addWidget(hidden, {});
    row->addStretch();
    row->addWidget(b, {});
    hidden->hide();
    EXPECT_EQ(row->sizeHint().width(), 20 + 10 + 0 + 10 + 30);
    row->setGeometry(QRect(0, 0, 300, 20));
    EXPECT_EQ(a->visibleRect().left(), 0);
    EXPECT_EQ(b->visibleRect().right(), 299) << "the stretch pushes the last widget to the end";
    EXPECT_TRUE(row->expandingDirections() & Qt::Horizontal);
}

TEST(OverhangBoxLayout, AFlexibleTextGetsTheRestOfTheRowAndWrapsToItsFullHeight) {
    QWidget host;
    auto* row = new OverhangBoxLayout(Qt::Horizontal, 10, &host);
    auto* icon = new Box(QSize(64, 64), QMargins(), &host);
    const QString text = QStringLiteral("A sentence long enough to need several lines when the row gets narrow enough.");
    auto* label = new PaletteLabel(text, Typography::font(TextStyle::callout), Palette::Swatch::ink, &host);
    label->setWrapping(true);
    row->addWidget(icon, {});
    row->addWidget(label, {OverhangBoxLayout::Cross::leading, 0, true});
    row->addStretch();
    ASSERT_TRUE(row->hasHeightForWidth());

    const int natural = label->sizeHint().width();
    // Wide: the text keeps its natural width on one line and the stretch takes the rest.
    row->setGeometry(QRect(0, 0, 64 + 10 + natural + 200, 64));
    EXPECT_EQ(label->width(), natural);
    // Narrow: the text gets what is left and the row grows to the wrapped height.
    const int narrow = 64 + 10 + 120 + 10;  // the spacing before the stretch stays
    const int lines = label->heightForWidth(120) / QFontMetrics(label->font()).height();
    EXPECT_GE(lines, 3);
    EXPECT_EQ(row->heightForWidth(narrow), std::max(64, label->heightForWidth(120)));
    row->setGeometry(QRect(0, 0, narrow, row->heightForWidth(narrow)));
    EXPECT_EQ(label->width(), 120);
    EXPECT_EQ(label->height(), label->heightForWidth(120));
}

TEST(OverhangBoxLayout, AColumnStacksByVisibleHeightAndFillsOnlyWhenAsked) {
    QWidget host;
    auto* column = new OverhangBoxLayout(Qt::Vertical, 12, &host);
    column->setContentsMargins(5, 5, 5, 5);
    auto* a = new Box(QSize(30, 20), kShadow, &host);
    auto* b = new Box(QSize(30, 40), QMargins(), &host);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* c = new Box(QSize(30, 10), QMargins(), &host);
    column->addWidget(a, {});
    column->addWidget(b, {OverhangBoxLayout::Cross::fill, 0, false});
    column->addWidget(c, {OverhangBoxLayout::Cross::center, 2, false});
    EXPECT_EQ(column->sizeHint(), QSize(30 + 10, 20 + 12 + 40 + 12 + 2 + 10 + 10));
    column->setGeometry(QRect(0, 0, 200, 200));
    EXPECT_EQ(a->visibleRect(), QRect(5, 5, 30, 20));
    EXPECT_EQ(b->visibleRect(), QRect(5, 37, 190, 40));
    EXPECT_EQ(c->visibleRect(), QRect(85, 91, 30, 10));
}

TEST(OverhangBoxLayout, ACompositeDeclaresItsRoomSoItsContainerPlacesItByItsPadding) {
    QWidget outer;
    auto* outerColumn = new OverhangBoxLayout(Qt::Vertical, 0, &outer);
    auto* inner = new QWidget(&outer);
    auto* innerRow = new OverhangBoxLayout(Qt::Horizontal, 0, inner);
    innerRow->setPaddingAndRoom(inner, QMargins(1, 2, 3, 4), QMargins(10, 10, 10, 10));
    auto* key = new Box(QSize(20, 20), kShadow, inner);
    innerRow->addWidget(key, {});
    outerColumn->addWidget(inner, {});
    EXPECT_EQ(LayoutOverhang::of(inner), QMargins(10, 10, 10, 10));
    outerColumn->setGeometry(QRect(0, 0, 100, 100));
    // The inner widget's visible part (padding included) starts at the corner; its room is outside.
    EXPECT_EQ(inner->geometry(), QRect(-10, -10, 1 + 20 + 3 + 20, 2 + 20 + 4 + 20));
    innerRow->activate();  // off screen the inner layout waits for a show; run it now
    EXPECT_EQ(key->visibleRect().topLeft(), QPoint(10 + 1, 10 + 2));
}

TEST(PaletteLabel, ContentsMarginsCountInEveryMeasure) {
    PaletteLabel label(QStringLiteral("Several words that wrap across lines"), Typography::font(TextStyle::caption),
                       Palette::Swatch::inkSoft);
    label.setWrapping(true);
    const int bare = label.heightForWidth(80);
    const QSize hint = label.sizeHint();
    label.setContentsMargins(4, 6, 4, 2);
    EXPECT_EQ(label.heightForWidth(88), bare + 8);
    EXPECT_EQ(label.sizeHint(), hint + QSize(8, 8));
    // A single line reports one line's height whatever the width.
    label.setWrapping(false);
    EXPECT_EQ(label.heightForWidth(10), QFontMetrics(label.font()).height() + 8);
}

// Sizes are points: on the test screen they come out at size x DPI / 72 pixels.
TEST(Typography, TextSizesArePointsThatTheScreensResolutionTurnsIntoPixels) {
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    ASSERT_NE(dpi, 72) << "at 72 DPI points and pixels cannot be told apart";
    for (const auto& [font, points] : {std::pair{Typography::font(TextStyle::caption), Typography::pointSize(TextStyle::caption)},
                                       std::pair{Typography::systemFont(28, QFont::DemiBold), qreal(28)},
                                       std::pair{Typography::monospacedFont(12), qreal(12)}})
        EXPECT_NEAR(QFontInfo(font).pixelSize(), points * dpi / 72, 1) << points;
}

TEST(MorePopoverPlacement, BelowTheAnchorCentredAboveWhenNoRoomAndInsideTheScreen) {
    const QRect screen(0, 0, 1280, 1000);
    const QSize size(320, 300);
    const QRect gear(600, 400, 36, 36);
    EXPECT_EQ(MorePopover::placement(gear, size, screen),
              QRect(QPoint(gear.center().x() - 160, gear.bottom() + 1 + MorePopover::anchorGap), size));

    const QRect low(600, 900, 36, 36);
    const QRect above = MorePopover::placement(low, size, screen);
    EXPECT_EQ(above.bottom(), 900 - 1 - MorePopover::anchorGap);

    const QRect nearRight(1260, 400, 20, 20);
    EXPECT_EQ(MorePopover::placement(nearRight, size, screen).right(), screen.right());
    const QRect nearLeft(0, 400, 20, 20);
    EXPECT_EQ(MorePopover::placement(nearLeft, size, screen).left(), 0);

    // No room either way: it stays below rather than leave the screen at the top.
    const QRect tiny(0, 0, 1280, 320);
    EXPECT_EQ(MorePopover::placement(QRect(600, 100, 36, 36), size, tiny).top(), 136 + MorePopover::anchorGap);
}

}  // namespace
