#include "app/settings/AnimatedFlowLayout.h"

#include "app/settings/ViewMotion.h"
#include "app/style/ReduceMotion.h"

#include <QPropertyAnimation>
#include <QWidget>

#include <algorithm>

namespace kestrine {

namespace {

// Set on a widget once the layout has placed it: before that its position means nothing.
constexpr const char* kPlacedProperty = "kestrineFlowPlaced";

}  // namespace

AnimatedFlowLayout::AnimatedFlowLayout(qreal spacing, qreal lineSpacing, QWidget* parent)
    : FlowBoxLayout(spacing, lineSpacing, false, parent) {}

std::vector<QWidget*> AnimatedFlowLayout::widgets() const {
    std::vector<QWidget*> held;
    for (int i = 0; i < count(); ++i)
        if (QWidget* w = itemAt(i)->widget()) held.push_back(w);
    return held;
}

bool AnimatedFlowLayout::setWidgets(const std::vector<QWidget*>& order) {
    if (widgets() == order && count() == int(order.size())) return false;
    // Take out everything that is not wanted.
    for (int i = count() - 1; i >= 0; --i) {
        QWidget* w = itemAt(i)->widget();
        if (!w || std::find(order.begin(), order.end(), w) == order.end()) {
            delete takeAt(i);
            if (w) {
                moves_.remove(w);
                w->setProperty(kPlacedProperty, false);
            }
        }
    }
    // Add the newcomers at the end, then put every widget where it belongs.
    const std::vector<QWidget*> held = widgets();
    for (QWidget* w : order) {
        if (std::find(held.begin(), held.end(), w) != held.end()) continue;
        addWidget(w);
        w->show();
    }
    for (int target = 0; target < int(order.size()); ++target) {
        int from = -1;
        for (int i = target; i < count(); ++i)
            if (itemAt(i)->widget() == order[size_t(target)]) from = i;
        if (from >= 0 && from != target) moveItem(from, target);
    }
    invalidate();
    return true;
}

bool AnimatedFlowLayout::isMoving(const QWidget* widget) const {
    const auto it = moves_.find(widget);
    return it != moves_.end() && *it && (*it)->state() == QAbstractAnimation::Running;
}

QPoint AnimatedFlowLayout::destination(const QWidget* widget) const {
    if (isMoving(widget)) return moves_.value(widget)->endValue().toPoint();
    return widget ? widget->pos() : QPoint();
}

void AnimatedFlowLayout::setGeometry(const QRect& rect) {
    struct Before {
        QPointer<QWidget> widget;
        QPoint pos;
        bool placed;
    };
    std::vector<Before> before;
    for (QWidget* w : widgets()) before.push_back({w, w->pos(), w->property(kPlacedProperty).toBool()});

    FlowBoxLayout::setGeometry(rect);

    const bool animate = armed_ && !ReduceMotion::isOn();
    armed_ = false;
    for (const Before& entry : before) {
        QWidget* w = entry.widget;
        if (!w || w->isHidden()) continue;
        const QPoint now = w->pos();
        w->setProperty(kPlacedProperty, true);
        if (isMoving(w)) {
            // Already on its way: keep going from where it is, towards the new place.
            QPropertyAnimation* move = moves_.value(w);
            if (ReduceMotion::isOn()) {
                move->stop();
                continue;
            }
            move->setEndValue(now);
            w->move(entry.pos);
            continue;
        }
        if (!animate || !entry.placed || entry.pos == now) continue;
        QPointer<QPropertyAnimation>& move = moves_[w];
        if (!move) {
            move = new QPropertyAnimation(w, "pos", w);
            move->setEasingCurve(ViewMotion::moveCurve());
            move->setDuration(ViewMotion::moveDurationMs);
        }
        move->setStartValue(entry.pos);
        move->setEndValue(now);
        w->move(entry.pos);
        move->start();
    }
}

}  // namespace kestrine
