// The flow of cards and tiles: a FlowBoxLayout whose widgets are kept in a given order, and whose
// next placement after a change of that order carries each moved widget to its new place with the
// move spring instead of making it jump (never with reduce motion on).
#pragma once

#include "app/layout/FlowBoxLayout.h"

#include <QHash>
#include <QPointer>

#include <vector>

class QPropertyAnimation;

namespace kestrine {

class AnimatedFlowLayout : public FlowBoxLayout {
    Q_OBJECT
public:
    AnimatedFlowLayout(qreal spacing, qreal lineSpacing, QWidget* parent = nullptr);

    // Makes the layout hold exactly `order`, in that order: missing widgets are added (and shown),
    // widgets not named are taken out (not deleted). Returns whether anything changed.
    bool setWidgets(const std::vector<QWidget*>& order);
    // The widgets held, in order.
    std::vector<QWidget*> widgets() const;

    // The next placement animates the widgets whose place changes.
    void animateNextPlacement() { armed_ = true; }
    bool isMoving(const QWidget* widget) const;
    // Where a widget is going: its final place while it moves, else its current one.
    QPoint destination(const QWidget* widget) const;

    void setGeometry(const QRect& rect) override;

private:
    bool armed_ = false;
    QHash<const QWidget*, QPointer<QPropertyAnimation>> moves_;
};

}  // namespace kestrine
