#include "app/style/KeyButton.h"

#include "app/style/ReduceMotion.h"

#include <QPainter>

namespace kestrine {

KeyButton::KeyButton(const QString& text, const KeyButtonStyle& style, QWidget* parent)
    : KeySurfaceButton(parent), style_(style) {
    setText(text);
    surfaceGeometryChanged();
}

void KeyButton::setStyle(const KeyButtonStyle& style) {
    style_ = style;
    surfaceGeometryChanged();
}

void KeyButton::setProminent(bool prominent) {
    style_.prominent = prominent;
    update();
}

void KeyButton::setCompact(bool compact) {
    style_.compact = compact;
    surfaceGeometryChanged();
}

void KeyButton::setActive(bool active) {
    style_.active = active;
    update();
}

QSizeF KeyButton::faceSize() const {
    return style_.faceSize(text());
}

KeySurface::Params KeyButton::surfaceParams() const {
    return style_.surface(pressProgress());
}

Motion KeyButton::pressMotion() const {
    return KeyButtonStyle::pressMotion(ReduceMotion::isOn());
}

void KeyButton::paintLabel(QPainter& painter, const QRectF& face) {
    painter.setFont(style_.font());
    painter.setPen(style_.textColor());
    painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, text());
}

}  // namespace kestrine
