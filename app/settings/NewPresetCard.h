// The last card of the preset list: a dashed outline with a plus, "preset.new" and
// "preset.new.sub", lightly filled while the pointer is over it. Clicking it starts a new preset.
#pragma once

#include <QAbstractButton>

namespace kestrine {

class NewPresetCard : public QAbstractButton {
    Q_OBJECT
    // The room kept around the outline, inside the widget's geometry: a preset card's.
    Q_PROPERTY(QMargins room READ room)
public:
    static constexpr qreal corner = 14;
    static constexpr qreal outlineWidth = 1.5;
    static constexpr qreal outlineOpacity = 0.6;
    static constexpr qreal hoverFillOpacity = 0.05;
    static constexpr qreal extraBelow = 4;  // keeps its bottom level with the preset cards' side plates
    static constexpr qreal spacing = 6;

    explicit NewPresetCard(QWidget* parent = nullptr);

    bool isHovered() const { return hovered_; }
    // The card's outline inside the widget (the widget keeps room around it for the focus ring).
    QRectF cardRect() const;
    static QMargins room();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    bool hovered_ = false;
};

// Draws a dashed outline inside `rect` (inkSoft at 60 %, width 1.5, dashes 6 on and 5 off, miter
// limit 10), as the new-preset card and the add-apps tile show it.
void paintDashedOutline(QPainter& painter, const QRectF& rect, qreal corner);

}  // namespace kestrine
