#include "app/style/KeyCap.h"

#include "app/style/Palette.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrine {

KeyCap::Metrics KeyCap::metrics(qreal size) {
    return {size * 0.38, std::max(size * 0.16, minimumDepth), size * 1.7};
}

QFont KeyCap::font(qreal size) {
    return Typography::monospacedFont(size, QFont::Medium);
}

QSizeF KeyCap::faceSize(const QString& text, qreal size) {
    const QFontMetricsF fm(font(size));
    const Metrics m = metrics(size);
    const qreal textWidth = fm.horizontalAdvance(text);
    return QSizeF(std::max(textWidth, m.minSide) + 2 * horizontalPadding, std::max(fm.height(), m.minSide));
}

KeySurface::Params KeyCap::surface(qreal size) {
    const Metrics m = metrics(size);
    return KeySurface::key(m.corner, m.depth);
}

void KeyCap::paint(QPainter& painter, const QRectF& face, const QString& text, qreal size) {
    const QRectF shown = KeySurface::paint(painter, face, surface(size));
    painter.save();
    painter.setFont(font(size));
    painter.setPen(Palette::ink());
    painter.drawText(shown, Qt::AlignCenter, text);
    painter.restore();
}

KeyCap::KeyCap(const QString& text, qreal size, QWidget* parent) : QWidget(parent), text_(text), size_(size) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    geometryChanged();
}

void KeyCap::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    geometryChanged();
}

void KeyCap::setSize(qreal size) {
    if (size == size_) return;
    size_ = size;
    geometryChanged();
}

void KeyCap::geometryChanged() {
    updateGeometry();
    update();
}

QRectF KeyCap::restingFaceRect() const {
    const QMarginsF shadow = KeySurface::shadowMargins();
    return QRectF(QPointF(shadow.left(), shadow.top()), faceSize(text_, size_));
}

QSize KeyCap::sizeHint() const {
    const QSizeF face = faceSize(text_, size_);
    const QMarginsF shadow = KeySurface::shadowMargins();
    return QSize(int(std::ceil(face.width() + shadow.left() + shadow.right())),
                 int(std::ceil(face.height() + metrics(size_).depth + shadow.top() + shadow.bottom())));
}

void KeyCap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, restingFaceRect(), text_, size_);
}

void KeyCap::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    if (event->type() == QEvent::FontChange) geometryChanged();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
