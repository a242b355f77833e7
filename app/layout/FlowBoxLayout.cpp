#include "app/layout/FlowBoxLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace kestrine {

FlowBoxLayout::FlowBoxLayout(QWidget* parent) : QLayout(parent) {}

FlowBoxLayout::FlowBoxLayout(qreal spacing, qreal lineSpacing, bool centered, QWidget* parent) : QLayout(parent) {
    flow_ = FlowLayout{spacing, lineSpacing, centered};
}

FlowBoxLayout::~FlowBoxLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowBoxLayout::setFlow(const FlowLayout& flow) {
    flow_ = flow;
    invalidate();
}

void FlowBoxLayout::addItem(QLayoutItem* item) {
    items_.append(item);
    invalidate();
}

int FlowBoxLayout::count() const {
    return int(items_.size());
}

QLayoutItem* FlowBoxLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* FlowBoxLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) return nullptr;
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

void FlowBoxLayout::moveItem(int from, int to) {
    if (from < 0 || from >= items_.size() || to < 0 || to >= items_.size() || from == to) return;
    items_.move(from, to);
    invalidate();
}

QList<QLayoutItem*> FlowBoxLayout::visibleItems() const {
    QList<QLayoutItem*> shown;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty()) shown.append(item);
    return shown;
}

std::vector<QSizeF> FlowBoxLayout::measuredSizes() const {
    std::vector<QSizeF> sizes;
    for (QLayoutItem* item : visibleItems()) sizes.emplace_back(item->sizeHint());
    return sizes;
}

int FlowBoxLayout::heightForWidth(int width) const {
    const QMargins m = contentsMargins();
    const qreal inner = std::max(0, width - m.left() - m.right());
    const QSizeF size = flow_.sizeThatFits(inner, measuredSizes());
    return int(std::ceil(size.height())) + m.top() + m.bottom();
}

QSize FlowBoxLayout::sizeHint() const {
    // Unlimited width: everything on one line.
    const QMargins m = contentsMargins();
    const QSizeF size = flow_.sizeThatFits(std::nullopt, measuredSizes());
    return QSize(int(std::ceil(size.width())) + m.left() + m.right(), int(std::ceil(size.height())) + m.top() + m.bottom());
}

QSize FlowBoxLayout::minimumSize() const {
    // As narrow as the widest item; the height then follows heightForWidth.
    const QMargins m = contentsMargins();
    qreal widest = 0;
    for (const QSizeF& size : measuredSizes()) widest = std::max(widest, size.width());
    return QSize(int(std::ceil(widest)) + m.left() + m.right(), m.top() + m.bottom());
}

void FlowBoxLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    const QList<QLayoutItem*> shown = visibleItems();
    const std::vector<QRectF> places = flow_.placements(QRectF(inner), measuredSizes());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QRectF& place = places[size_t(i)];
        const QRect whole(QPoint(int(std::lround(place.x())), int(std::lround(place.y()))),
                          QSize(int(std::lround(place.width())), int(std::lround(place.height()))));
        // A widget is placed directly, where the flow put it, even where it overlaps a neighbour.
        if (QWidget* widget = shown[i]->widget()) widget->setGeometry(whole);
        else shown[i]->setGeometry(whole);
    }
}

}  // namespace kestrine
