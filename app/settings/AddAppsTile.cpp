#include "app/settings/AddAppsTile.h"

#include "app/style/ButtonKeys.h"

#include "app/Localization.h"
#include "app/settings/DropBar.h"
#include "app/settings/NewPresetCard.h"
#include "app/settings/ShelfTile.h"
#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"

#include <QDragEnterEvent>
#include <QFontMetricsF>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kestrine {

AddAppsTile::AddAppsTile(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setAcceptDrops(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    const QString text = Localization::tr(QStringLiteral("shelf.add"));
    setToolTip(text);
    setAccessibleName(text);
    dropBar_ = new DropBar(this);
    dropBar_->placeBefore(visibleRect().topLeft());
}

QMargins AddAppsTile::room() {
    return ShelfTile::room();
}

QRect AddAppsTile::visibleRect() const {
    const QMargins room = ShelfTile::room();
    return QRect(QPoint(room.left(), room.top()), ShelfTile::visibleSize());
}

QRectF AddAppsTile::squareRect() const {
    const QRect visible = visibleRect();
    return QRectF(visible.left() + (ShelfTile::tileWidth - ShelfTile::keySide) / 2.0, visible.top(), ShelfTile::keySide,
                  ShelfTile::keySide);
}

QSize AddAppsTile::sizeHint() const {
    const QMargins room = ShelfTile::room();
    const QSize visible = ShelfTile::visibleSize();
    return QSize(visible.width() + room.left() + room.right(), visible.height() + room.top() + room.bottom());
}

void AddAppsTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF square = squareRect();
    if (hovered_) {
        QPainterPath shape;
        shape.addRoundedRect(square, corner, corner);
        painter.fillPath(shape, withOpacity(Palette::ink(), hoverFillOpacity));
    }
    paintDashedOutline(painter, square, corner);
    SymbolPainter::paint(painter, Symbol::plus, square, plusSize, Palette::ink(), QFont::Medium);
    if (hasFocus()) KeySurfaceButton::paintFocusRing(painter, square, corner);

    const QRect visible = visibleRect();
    const QFont font = Typography::font(TextStyle::caption);
    const QFontMetricsF metrics(font);
    const QRectF label(visible.left(), square.bottom() + extraBelow + ShelfTile::labelSpacing, ShelfTile::tileWidth,
                       std::ceil(metrics.height()));
    painter.setFont(font);
    painter.setPen(Palette::inkSoft());
    painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     metrics.elidedText(Localization::tr(QStringLiteral("shelf.add")), Qt::ElideRight,
                                        ShelfTile::tileWidth));
}

bool AddAppsTile::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        setHovered(squareRect().contains(static_cast<QHoverEvent*>(event)->position()));
        break;
    case QEvent::HoverLeave:
        setHovered(false);
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void AddAppsTile::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    update();
}

void AddAppsTile::setTargeted(bool targeted) {
    if (targeted == targeted_) return;
    targeted_ = targeted;
    dropBar_->setShown(targeted);
}

void AddAppsTile::keyPressEvent(QKeyEvent* event) {
    if (clickOnReturn(*this, event)) return;
    QAbstractButton::keyPressEvent(event);
}

void AddAppsTile::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QAbstractButton::changeEvent(event);
}

bool AddAppsTile::hitButton(const QPoint& pos) const {
    return squareRect().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

void AddAppsTile::dragEnterEvent(QDragEnterEvent* event) {
    if (ShelfTile::answerMove(event, !ShelfTile::draggedID(event->mimeData()).isEmpty())) setTargeted(true);
}

void AddAppsTile::dragMoveEvent(QDragMoveEvent* event) {
    setTargeted(ShelfTile::answerMove(event, !ShelfTile::draggedID(event->mimeData()).isEmpty()));
}

void AddAppsTile::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    QAbstractButton::dragLeaveEvent(event);
}

void AddAppsTile::dropEvent(QDropEvent* event) {
    setTargeted(false);
    const QString id = ShelfTile::draggedID(event->mimeData());
    if (!ShelfTile::answerMove(event, !id.isEmpty())) return;
    if (onDrop) onDrop(id.toStdString());
}

}  // namespace kestrine
