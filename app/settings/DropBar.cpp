#include "app/settings/DropBar.h"

#include "app/settings/ViewMotion.h"
#include "app/style/Palette.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace kestrine {

DropBar::DropBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(barWidth, barHeight);
    hide();
}

void DropBar::setShown(bool shown) {
    shown_ = shown;
    if (shown) raise();
    ViewMotion::fade(this, shown);
}

void DropBar::placeBefore(const QPoint& tileTopLeft) {
    move(tileTopLeft.x() - offset, tileTopLeft.y());
}

void DropBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar(0, 0, barWidth, barHeight);
    QPainterPath capsule;
    capsule.addRoundedRect(bar, barWidth / 2.0, barWidth / 2.0);
    painter.fillPath(capsule, Palette::accent());
}

void DropBar::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
