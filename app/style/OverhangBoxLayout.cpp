#include "app/style/OverhangBoxLayout.h"

#include "app/layout/LayoutOverhang.h"

#include <QWidget>

#include <algorithm>

namespace kestrine {

namespace {

QMargins overhangOf(const QLayoutItem* item) {
    return item->widget() ? LayoutOverhang::of(item->widget()) : QMargins();
}

}  // namespace

OverhangBoxLayout::OverhangBoxLayout(Qt::Orientation orientation, int spacing, QWidget* parent)
    : QLayout(parent), orientation_(orientation) {
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

OverhangBoxLayout::~OverhangBoxLayout() {
    for (Entry& entry : entries_) delete entry.item;
    entries_.clear();
}

QMargins OverhangBoxLayout::standardRoom() {
    // A key's resting shadow (blur 6, 4 down) reaches 8 sideways, 4 up and 12 down; the application
    // icon's (blur 8, 4 down) 10, 6 and 14; focus rings 4. Rounded up with a little to spare.
    return QMargins(12, 8, 12, 16);
}

void OverhangBoxLayout::setPaddingAndRoom(QWidget* owner, const QMargins& padding, const QMargins& room) {
    setContentsMargins(padding + room);
    if (owner) LayoutOverhang::set(owner, room);
    invalidate();
}

void OverhangBoxLayout::addWidget(QWidget* widget, const Options& options) {
    if (!widget) return;
    addChildWidget(widget);
    entries_.append(Entry{new QWidgetItem(widget), options, false, 0});
    invalidate();
}

void OverhangBoxLayout::addStretch(int minimum) {
    entries_.append(Entry{new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding), {}, true, std::max(0, minimum)});
    invalidate();
}

void OverhangBoxLayout::addItem(QLayoutItem* item) {
    Options options;
    options.cross = orientation_ == Qt::Horizontal ? Cross::center : Cross::leading;
    entries_.append(Entry{item, options, false, 0});
    invalidate();
}

int OverhangBoxLayout::count() const {
    return int(entries_.size());
}

QLayoutItem* OverhangBoxLayout::itemAt(int index) const {
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* OverhangBoxLayout::takeAt(int index) {
    if (index < 0 || index >= entries_.size()) return nullptr;
    QLayoutItem* item = entries_.takeAt(index).item;
    invalidate();
    return item;
}

QList<const OverhangBoxLayout::Entry*> OverhangBoxLayout::shownEntries() const {
    QList<const Entry*> shown;
    for (const Entry& entry : entries_)
        if (entry.stretch || !entry.item->isEmpty()) shown.append(&entry);
    return shown;
}

QSize OverhangBoxLayout::visibleHint(const Entry& entry) const {
    if (entry.stretch) return QSize(orientation_ == Qt::Horizontal ? entry.minimum : 0,
                                    orientation_ == Qt::Vertical ? entry.minimum : 0);
    const QMargins room = overhangOf(entry.item);
    const QSize hint = entry.item->sizeHint();
    return QSize(std::max(0, hint.width() - room.left() - room.right()),
                 std::max(0, hint.height() - room.top() - room.bottom()));
}

int OverhangBoxLayout::visibleMinimumWidth(const Entry& entry) const {
    if (entry.stretch) return orientation_ == Qt::Horizontal ? entry.minimum : 0;
    const QMargins room = overhangOf(entry.item);
    const int minimum = std::max(0, entry.item->minimumSize().width() - room.left() - room.right());
    return std::min(minimum, visibleHint(entry).width());
}

int OverhangBoxLayout::visibleHeight(const Entry& entry, int visibleWidth) const {
    if (entry.stretch) return orientation_ == Qt::Vertical ? entry.minimum : 0;
    const QMargins room = overhangOf(entry.item);
    if (QWidget* widget = entry.item->widget()) {
        if (widget->hasHeightForWidth())
            return std::max(0, widget->heightForWidth(visibleWidth + room.left() + room.right()) - room.top() - room.bottom());
    } else if (entry.item->hasHeightForWidth()) {
        return entry.item->heightForWidth(visibleWidth);
    }
    return visibleHint(entry).height();
}

QList<OverhangBoxLayout::Slot> OverhangBoxLayout::arrange(int innerWidth, int innerHeight, int* usedHeight) const {
    const QList<const Entry*> shown = shownEntries();
    QList<Slot> placed;
    int gaps = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) gaps += (i > 0 ? spacing() : 0) + shown[i]->options.leading;

    if (orientation_ == Qt::Horizontal) {
        int fixed = gaps, flexibleCount = 0, stretchCount = 0;
        for (const Entry* entry : shown) {
            if (entry->stretch) {
                fixed += entry->minimum;
                ++stretchCount;
            } else if (entry->options.flexible) {
                ++flexibleCount;
            } else {
                fixed += visibleHint(*entry).width();
            }
        }
        int left = std::max(0, innerWidth - fixed);
        QList<int> widths;
        for (const Entry* entry : shown) {
            if (entry->stretch || !entry->options.flexible) {
                widths.append(entry->stretch ? entry->minimum : visibleHint(*entry).width());
                continue;
            }
            const int share = left / std::max(1, flexibleCount--);
            const int width = std::min(visibleHint(*entry).width(), share);
            widths.append(width);
            left -= width;
        }
        for (qsizetype i = 0; i < shown.size() && stretchCount > 0; ++i) {
            if (!shown[i]->stretch) continue;
            const int share = left / stretchCount--;
            widths[i] += share;
            left -= share;
        }
        QList<int> heights;
        int rowHeight = 0;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            heights.append(visibleHeight(*shown[i], widths[i]));
            rowHeight = std::max(rowHeight, heights[i]);
        }
        const int height = std::max(rowHeight, innerHeight);
        int x = 0;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            if (i > 0) x += spacing();
            x += shown[i]->options.leading;
            int h = heights[i], y = 0;
            switch (shown[i]->options.cross) {
            case Cross::leading: break;
            case Cross::center: y = (height - h) / 2; break;
            case Cross::trailing: y = height - h; break;
            case Cross::fill: h = height; break;
            }
            placed.append(Slot{shown[i], QRect(x, y, widths[i], h)});
            x += widths[i];
        }
        if (usedHeight) *usedHeight = rowHeight;
        return placed;
    }

    QList<int> widths, heights;
    int total = gaps, stretchCount = 0;
    for (const Entry* entry : shown) {
        const bool full = entry->stretch || entry->options.cross == Cross::fill;
        const int width = full ? innerWidth : std::min(visibleHint(*entry).width(), innerWidth);
        widths.append(std::max(0, width));
        heights.append(visibleHeight(*entry, widths.back()));
        total += heights.back();
        if (entry->stretch) ++stretchCount;
    }
    int left = innerHeight > total ? innerHeight - total : 0;
    if (stretchCount > 0) total += left;
    int y = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (i > 0) y += spacing();
        y += shown[i]->options.leading;
        if (shown[i]->stretch && stretchCount > 0) {
            const int share = left / stretchCount--;
            heights[i] += share;
            left -= share;
        }
        int x = 0;
        switch (shown[i]->options.cross) {
        case Cross::leading:
        case Cross::fill: break;
        case Cross::center: x = (innerWidth - widths[i]) / 2; break;
        case Cross::trailing: x = innerWidth - widths[i]; break;
        }
        placed.append(Slot{shown[i], QRect(x, y, widths[i], heights[i])});
        y += heights[i];
    }
    if (usedHeight) *usedHeight = total;
    return placed;
}

Qt::Orientations OverhangBoxLayout::expandingDirections() const {
    Qt::Orientations directions;
    for (const Entry& entry : entries_) {
        if (entry.stretch) directions |= orientation_;
        else if (!entry.item->isEmpty() && entry.options.cross == Cross::fill)
            directions |= entry.item->expandingDirections() & (orientation_ == Qt::Horizontal ? Qt::Vertical : Qt::Horizontal);
    }
    return directions;
}

void OverhangBoxLayout::invalidate() {
    sizeHintCache_.reset();
    minimumSizeCache_.reset();
    heightForWidthCache_.reset();
    heightCache_.clear();
    QLayout::invalidate();
}

bool OverhangBoxLayout::hasHeightForWidth() const {
    if (heightForWidthCache_) return *heightForWidthCache_;
    heightForWidthCache_ = computeHasHeightForWidth();
    return *heightForWidthCache_;
}

bool OverhangBoxLayout::computeHasHeightForWidth() const {
    for (const Entry& entry : entries_) {
        if (entry.stretch || entry.item->isEmpty()) continue;
        if (QWidget* widget = entry.item->widget() ? entry.item->widget() : nullptr) {
            if (widget->hasHeightForWidth()) return true;
        } else if (entry.item->hasHeightForWidth()) {
            return true;
        }
    }
    return false;
}

int OverhangBoxLayout::heightForWidth(int width) const {
    if (auto cached = heightCache_.constFind(width); cached != heightCache_.constEnd()) return *cached;
    const QMargins m = contentsMargins();
    int used = 0;
    arrange(std::max(0, width - m.left() - m.right()), -1, &used);
    if (heightCache_.size() > 64) heightCache_.clear();
    heightCache_.insert(width, used + m.top() + m.bottom());
    return used + m.top() + m.bottom();
}

QSize OverhangBoxLayout::sizeHint() const {
    if (!sizeHintCache_) sizeHintCache_ = computeSizeHint();
    return *sizeHintCache_;
}

QSize OverhangBoxLayout::computeSizeHint() const {
    const QMargins m = contentsMargins();
    const QList<const Entry*> shown = shownEntries();
    int width = 0;
    if (orientation_ == Qt::Horizontal) {
        for (qsizetype i = 0; i < shown.size(); ++i)
            width += (i > 0 ? spacing() : 0) + shown[i]->options.leading + visibleHint(*shown[i]).width();
    } else {
        for (const Entry* entry : shown) width = std::max(width, visibleHint(*entry).width());
    }
    int used = 0;
    arrange(width, -1, &used);
    return QSize(width + m.left() + m.right(), used + m.top() + m.bottom());
}

QSize OverhangBoxLayout::minimumSize() const {
    if (!minimumSizeCache_) minimumSizeCache_ = computeMinimumSize();
    return *minimumSizeCache_;
}

QSize OverhangBoxLayout::computeMinimumSize() const {
    const QMargins m = contentsMargins();
    const QList<const Entry*> shown = shownEntries();
    int width = 0;
    if (orientation_ == Qt::Horizontal) {
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const Entry* entry = shown[i];
            const int own = entry->options.flexible ? visibleMinimumWidth(*entry) : visibleHint(*entry).width();
            width += (i > 0 ? spacing() : 0) + entry->options.leading + own;
        }
    } else {
        for (const Entry* entry : shown) width = std::max(width, visibleMinimumWidth(*entry));
    }
    int used = 0;
    if (!hasHeightForWidth()) arrange(width, -1, &used);
    return QSize(width + m.left() + m.right(), used + m.top() + m.bottom());
}

void OverhangBoxLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    for (const Slot& slot : arrange(inner.width(), inner.height(), nullptr)) {
        const QRect visible = slot.visible.translated(inner.topLeft());
        QLayoutItem* item = slot.entry->item;
        // A widget is placed directly: QWidgetItem would pull the overhang back inside the slot.
        if (QWidget* widget = item->widget()) widget->setGeometry(visible.marginsAdded(overhangOf(item)));
        else item->setGeometry(visible);
    }
}

}  // namespace kestrine
