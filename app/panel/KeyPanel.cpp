#include "app/panel/KeyPanel.h"

#include "app/style/KeySurface.h"
#include "app/style/Palette.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <cmath>

namespace kestrine {

KeyPanel::KeyPanel(bool translucent, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), translucent_(translucent) {
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    setAttribute(Qt::WA_NoSystemBackground, translucent_);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Kestrine"));
}

QMargins KeyPanel::shadowMargins() const {
    if (!translucent_) return {};
    return QMargins(shadowBlur, shadowBlur - shadowOffset, shadowBlur, shadowBlur + shadowOffset);
}

void KeyPanel::setContent(QWidget* content, const QSize& contentSize) {
    content_ = content;
    content_->setParent(this);
    const QMargins margins = shadowMargins();
    content_->setGeometry(QRect(QPoint(margins.left(), margins.top()), contentSize));
    setFixedSize(contentSize.grownBy(margins));
    if (!translucent_) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(QPointF(0, 0), contentSize), contentCorner, contentCorner);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
}

void KeyPanel::moveContentTo(const QPoint& contentOrigin) {
    const QMargins margins = shadowMargins();
    move(contentOrigin - QPoint(margins.left(), margins.top()));
}

QRect KeyPanel::contentGeometry() const {
    if (!content_) return {};
    return QRect(mapToGlobal(content_->pos()), content_->size());
}

bool KeyPanel::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) emit deactivated();
    return QWidget::event(event);
}

void KeyPanel::paintEvent(QPaintEvent*) {
    if (!translucent_ || !content_) return;
    QPainter painter(this);
    KeySurface::paintShadow(painter, QRectF(content_->geometry()), contentCorner, shadowBlur, shadowOffset,
                            Palette::shadow());
}

}  // namespace kestrine
