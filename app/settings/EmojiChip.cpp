#include "app/settings/EmojiChip.h"

#include "app/style/ButtonKeys.h"

#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"
#include "app/style/Typography.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace kestrine {

EmojiChip::EmojiChip(const QString& emoji, QWidget* parent) : QAbstractButton(parent), emoji_(emoji) {
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(emoji);
    setText(emoji);
}

QRectF EmojiChip::frameRect() const {
    return QRectF(focusRoom, focusRoom, width, height);
}

QSize EmojiChip::sizeHint() const {
    return QSize(int(width) + 2 * focusRoom, int(height) + 2 * focusRoom);
}

void EmojiChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame = frameRect();
    if (isHighlighted()) {
        QPainterPath shape;
        shape.addRoundedRect(frame, corner, corner);
        painter.fillPath(shape, withOpacity(Palette::accent(), fillOpacity));
        const qreal inset = outlineWidth / 2;
        QPainterPath outline;
        outline.addRoundedRect(frame.adjusted(inset, inset, -inset, -inset), corner - inset, corner - inset);
        painter.strokePath(outline, QPen(Palette::accent(), outlineWidth));
    }
    painter.setFont(Typography::systemFont(emojiSize));
    painter.setPen(Palette::ink());
    painter.drawText(frame, Qt::AlignCenter | Qt::TextSingleLine, emoji_);
    if (hasFocus()) KeySurfaceButton::paintFocusRing(painter, frame, corner);
}

void EmojiChip::keyPressEvent(QKeyEvent* event) {
    if (clickOnReturn(*this, event)) return;
    QAbstractButton::keyPressEvent(event);
}

void EmojiChip::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QAbstractButton::changeEvent(event);
}

bool EmojiChip::hitButton(const QPoint& pos) const {
    return frameRect().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

}  // namespace kestrine
