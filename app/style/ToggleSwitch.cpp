#include "app/style/ToggleSwitch.h"

#include "app/style/ButtonKeys.h"

#include "app/style/DisabledFade.h"
#include "app/style/KeySurfaceButton.h"
#include "app/style/ReduceMotion.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace kestrine {

ToggleSwitch::ToggleSwitch(const QString& label, const QFont& labelFont, Palette::Swatch labelSwatch, QWidget* parent)
    : QAbstractButton(parent), labelSwatch_(labelSwatch) {
    setCheckable(true);
    setText(label);
    setFont(labelFont);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    slide_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        knob_ = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, &ToggleSwitch::followCheckedState);
}

void ToggleSwitch::setSpread(bool spread) {
    spread_ = spread;
    setSizePolicy(spread ? QSizePolicy::Expanding : QSizePolicy::Preferred, QSizePolicy::Fixed);
    updateGeometry();
    update();
}

void ToggleSwitch::followCheckedState(bool checked) {
    const qreal target = checked ? 1 : 0;
    slide_.stop();
    // Before the switch is on screen (first state) or with reduce motion the knob jumps.
    if (!isVisible() || ReduceMotion::isOn()) {
        knob_ = target;
        update();
        return;
    }
    slide_.setStartValue(knob_);
    slide_.setEndValue(target);
    slide_.setDuration(slideMilliseconds);
    slide_.start();
}

QRectF ToggleSwitch::visibleRect() const {
    return QRectF(rect()).adjusted(focusRoom, focusRoom, -focusRoom, -focusRoom);
}

QRectF ToggleSwitch::trackRect() const {
    const QRectF area = visibleRect();
    const qreal top = area.top() + (area.height() - trackHeight) / 2;
    if (spread_) return QRectF(area.right() - trackWidth, top, trackWidth, trackHeight);
    const qreal labelWidth = text().isEmpty() ? 0 : std::ceil(QFontMetricsF(font()).horizontalAdvance(text())) + labelGap;
    return QRectF(area.left() + labelWidth, top, trackWidth, trackHeight);
}

QSize ToggleSwitch::sizeHint() const {
    const QFontMetricsF fm(font());
    const qreal labelWidth = text().isEmpty() ? 0 : std::ceil(fm.horizontalAdvance(text())) + labelGap;
    const qreal height = std::max(trackHeight, std::ceil(fm.height()));
    return QSize(int(std::ceil(labelWidth + trackWidth)) + 2 * focusRoom, int(height) + 2 * focusRoom);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF track = trackRect();
    if (!text().isEmpty()) {
        const QRectF area = visibleRect();
        const QRectF labelArea(area.left(), area.top(), track.left() - area.left() - labelGap, area.height());
        painter.setFont(font());
        painter.setPen(Palette::resolve(labelSwatch_));
        const QString shown = QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, labelArea.width());
        painter.drawText(labelArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    const qreal radius = track.height() / 2;
    // The track blends from a quiet grey to the accent as the knob travels.
    const QColor off = withOpacity(Palette::ink(), Palette::isDark() ? 0.22 : 0.14);
    const QColor on = Palette::accent();
    const qreal t = knob_;
    const QColor fill = QColor::fromRgbF(float(off.redF() + (on.redF() - off.redF()) * t),
                                         float(off.greenF() + (on.greenF() - off.greenF()) * t),
                                         float(off.blueF() + (on.blueF() - off.blueF()) * t),
                                         float(off.alphaF() + (on.alphaF() - off.alphaF()) * t));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    painter.setPen(QPen(Palette::hairline(), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(track.adjusted(0.25, 0.25, -0.25, -0.25), radius, radius);

    const qreal knobSide = track.height() - 2 * knobInset;
    const qreal travel = track.width() - 2 * knobInset - knobSide;
    const QRectF knob(track.left() + knobInset + travel * t, track.top() + knobInset, knobSide, knobSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(Palette::shadow(), 0.6));
    painter.drawEllipse(knob.translated(0, 0.5).adjusted(-0.25, -0.25, 0.25, 0.25));
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(knob);
    if (hasFocus()) KeySurfaceButton::paintFocusRing(painter, track, radius);
}

void ToggleSwitch::keyPressEvent(QKeyEvent* event) {
    if (clickOnReturn(*this, event)) return;
    QAbstractButton::keyPressEvent(event);
}

void ToggleSwitch::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    if (event->type() == QEvent::EnabledChange) DisabledFade::follow(this);
    if (event->type() == QEvent::FontChange) updateGeometry();
    QAbstractButton::changeEvent(event);
}

bool ToggleSwitch::hitButton(const QPoint& pos) const {
    return visibleRect().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

}  // namespace kestrine
