// The recessed panel: a rounded rectangle of `well` with an inner shadow along its top edge and a
// hairline border. Usable as a painter helper or as a container widget.
#pragma once

#include <QWidget>

namespace kestrine {

class WellBackground : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal innerShadowWidth = 1.5;
    static constexpr qreal innerShadowOpacity = 0.7;
    static constexpr qreal borderWidth = 0.5;

    static void paint(QPainter& painter, const QRectF& rect, qreal corner);

    explicit WellBackground(qreal corner, QWidget* parent = nullptr);

    qreal corner() const { return corner_; }
    void setCorner(qreal corner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    qreal corner_;
};

}  // namespace kestrine
