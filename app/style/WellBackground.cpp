#include "app/style/WellBackground.h"

#include "app/style/Palette.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kestrine {

namespace {

void strokeInside(QPainter& painter, const QRectF& rect, qreal corner, qreal width, const QBrush& brush) {
    const qreal inset = width / 2;
    const QRectF inner = rect.adjusted(inset, inset, -inset, -inset);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    const qreal r = std::max(qreal(0), corner - inset);
    QPainterPath path;
    path.addRoundedRect(inner, r, r);
    painter.strokePath(path, QPen(brush, width));
}

}  // namespace

void WellBackground::paint(QPainter& painter, const QRectF& rect, qreal corner) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal r = std::clamp(corner, qreal(0), std::min(rect.width(), rect.height()) / 2);
    QPainterPath shape;
    shape.addRoundedRect(rect, r, r);
    painter.fillPath(shape, Palette::well());

    QLinearGradient gradient(rect.topLeft(), QPointF(rect.left(), rect.center().y()));
    QColor top = withOpacity(Palette::shadow(), innerShadowOpacity);
    gradient.setColorAt(0, top);
    top.setAlpha(0);
    gradient.setColorAt(1, top);
    strokeInside(painter, rect, r, innerShadowWidth, QBrush(gradient));
    strokeInside(painter, rect, r, borderWidth, QBrush(Palette::hairline()));
    painter.restore();
}

WellBackground::WellBackground(qreal corner, QWidget* parent) : QWidget(parent), corner_(corner) {}

void WellBackground::setCorner(qreal corner) {
    corner_ = corner;
    update();
}

void WellBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), corner_);
}

void WellBackground::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
