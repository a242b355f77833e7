// A QLayout that arranges its items with FlowLayout: each at its size hint, wrapping to the
// layout's width. Its height depends on its width (heightForWidth), so a parent layout gives it
// the right height. Widgets that keep room around what they show (a shadow, a focus ring) keep it
// inside their own geometry: the spacing is between those whole widgets, so a flow of keys whose
// shadows overlap has a spacing smaller than the visible gap, possibly below zero.
#pragma once

#include "app/layout/FlowLayout.h"

#include <QLayout>
#include <QList>

namespace kestrine {

class FlowBoxLayout : public QLayout {
    Q_OBJECT
public:
    explicit FlowBoxLayout(QWidget* parent = nullptr);
    FlowBoxLayout(qreal spacing, qreal lineSpacing, bool centered = false, QWidget* parent = nullptr);
    ~FlowBoxLayout() override;

    const FlowLayout& flow() const { return flow_; }
    void setFlow(const FlowLayout& flow);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    // Moves the item at `from` to `to` (both current indices).
    void moveItem(int from, int to);

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

    // The size hint of each shown item, in order.
    std::vector<QSizeF> measuredSizes() const;

private:
    QList<QLayoutItem*> visibleItems() const;

    FlowLayout flow_;
    QList<QLayoutItem*> items_;
};

}  // namespace kestrine
