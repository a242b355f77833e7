#include "app/settings/ViewMotion.h"

#include "app/style/SpringCurve.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QWidget>

namespace kestrine::ViewMotion {

namespace {

constexpr const char* kFadeName = "kestrine-fade";

}  // namespace

QEasingCurve moveCurve() {
    return springCurve<moveResponse, moveDampingFraction, moveDurationMs>();
}

int hoverDurationMs(bool reduceMotion) {
    return reduceMotion ? 100 : 150;
}

void fade(QWidget* widget, bool shown, int durationMs) {
    if (!widget) return;
    if (!shown && widget->isHidden()) return;
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        effect->setOpacity(widget->isHidden() ? 0.0 : 1.0);
        widget->setGraphicsEffect(effect);
    }
    auto* animation = widget->findChild<QPropertyAnimation*>(QString::fromLatin1(kFadeName), Qt::FindDirectChildrenOnly);
    if (!animation) {
        animation = new QPropertyAnimation(effect, "opacity", widget);
        animation->setObjectName(QString::fromLatin1(kFadeName));
        animation->setEasingCurve(QEasingCurve::OutCubic);
        QObject::connect(animation, &QPropertyAnimation::finished, widget, [widget, effect] {
            if (effect->opacity() <= 0) widget->hide();
        });
    }
    if (shown && widget->isHidden()) {
        effect->setOpacity(0);
        widget->show();
    }
    const double target = shown ? 1.0 : 0.0;
    if (animation->state() == QAbstractAnimation::Running && animation->endValue().toDouble() == target) return;
    animation->stop();
    if (effect->opacity() == target) {
        if (!shown) widget->hide();
        return;
    }
    if (durationMs <= 0) {
        effect->setOpacity(target);
        if (!shown) widget->hide();
        return;
    }
    animation->setStartValue(effect->opacity());
    animation->setEndValue(target);
    animation->setDuration(durationMs);
    animation->start();
}

double fadeOpacity(const QWidget* widget) {
    if (!widget || widget->isHidden()) return 0;
    const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(widget->graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

}  // namespace kestrine::ViewMotion
