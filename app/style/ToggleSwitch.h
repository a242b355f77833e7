// A small on/off switch with its label before it: a capsule track tinted accent while on and a
// white knob that slides across. Clicking the label or the track toggles it, so do Space and
// Return when it has keyboard focus, which a ring around the track shows.
#pragma once

#include "app/style/Palette.h"

#include <QAbstractButton>
#include <QVariantAnimation>

namespace kestrine {

class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
    // The room kept around the switch for the focus ring, inside the widget's geometry.
    Q_PROPERTY(QMargins room READ room)
public:
    static constexpr qreal trackWidth = 32;
    static constexpr qreal trackHeight = 18;
    static constexpr qreal knobInset = 1.5;
    static constexpr qreal labelGap = 8;
    // Room around the visible switch for the focus ring (its room).
    static constexpr int focusRoom = 4;
    static QMargins room() { return QMargins(focusRoom, focusRoom, focusRoom, focusRoom); }
    static constexpr int slideMilliseconds = 150;

    ToggleSwitch(const QString& label, const QFont& labelFont, Palette::Swatch labelSwatch, QWidget* parent = nullptr);

    // Spread: the label at the left edge and the switch at the right edge of the widget.
    bool isSpread() const { return spread_; }
    void setSpread(bool spread);

    // 0 = off, 1 = on; in between while the knob slides.
    qreal knobPosition() const { return knob_; }
    // The track in widget coordinates.
    QRectF trackRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void followCheckedState(bool checked);
    QRectF visibleRect() const;

    Palette::Swatch labelSwatch_;
    bool spread_ = false;
    qreal knob_ = 0;
    QVariantAnimation slide_;
};

}  // namespace kestrine
