#include "app/layout/FlowLayout.h"

#include <algorithm>
#include <cmath>

namespace kestrine {

std::vector<FlowLayout::Row> FlowLayout::rows(qreal maxWidth, const std::vector<QSizeF>& sizes) const {
    std::vector<Row> result;
    Row current;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const qreal w = sizes[i].width();
        const qreal h = sizes[i].height();
        const qreal candidate = current.items.empty() ? w : current.width + spacing + w;
        if (candidate <= maxWidth) {
            current.width = candidate;
        } else if (!current.items.empty()) {
            result.push_back(std::move(current));
            current = Row{};
            current.width = w;
        } else {
            current.width = w;  // wider than the offer: a line of its own, not shrunk
        }
        current.height = std::max(current.height, h);
        current.items.push_back({int(i), sizes[i]});
    }
    if (!current.items.empty()) result.push_back(std::move(current));
    return result;
}

QSizeF FlowLayout::sizeThatFits(std::optional<qreal> proposedWidth, const std::vector<QSizeF>& sizes) const {
    const bool finite = proposedWidth && std::isfinite(*proposedWidth);
    const qreal maxWidth = proposedWidth ? *proposedWidth : INFINITY;
    const std::vector<Row> lines = rows(maxWidth, sizes);

    qreal height = 0;
    qreal widest = 0;
    for (const Row& line : lines) {
        height += line.height;
        widest = std::max(widest, line.width);
    }
    if (lines.size() > 1) height += lineSpacing * qreal(lines.size() - 1);
    return QSizeF(finite ? *proposedWidth : widest, height);
}

std::vector<QRectF> FlowLayout::placements(const QRectF& bounds, const std::vector<QSizeF>& sizes) const {
    std::vector<QRectF> result(sizes.size());
    qreal y = bounds.top();
    for (const Row& line : rows(bounds.width(), sizes)) {
        qreal x = centered ? bounds.left() + (bounds.width() - line.width) * 0.5 : bounds.left();
        for (const Item& item : line.items) {
            result[size_t(item.index)] = QRectF(QPointF(x, y), item.size);
            x += item.size.width() + spacing;
        }
        y += line.height + lineSpacing;
    }
    return result;
}

}  // namespace kestrine
