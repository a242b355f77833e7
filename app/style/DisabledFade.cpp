#include "app/style/DisabledFade.h"

#include <QGraphicsOpacityEffect>
#include <QWidget>

namespace kestrine::DisabledFade {

namespace {
const QString kName = QStringLiteral("kestrine-disabled-fade");
}

void follow(QWidget* widget) {
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    const bool ours = effect && effect->objectName() == kName;
    if (widget->isEnabled()) {
        if (ours) widget->setGraphicsEffect(nullptr);
        return;
    }
    if (widget->graphicsEffect() && !ours) return;
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        effect->setObjectName(kName);
        widget->setGraphicsEffect(effect);
    }
    effect->setOpacity(opacity);
}

}  // namespace kestrine::DisabledFade
