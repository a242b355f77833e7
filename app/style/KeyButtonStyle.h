// The text button drawn as a key: plain (raised face, ink text) or prominent (accent face,
// onAccent text), regular or compact, with an accent ring while active.
#pragma once

#include "app/style/KeySurface.h"
#include "app/style/PressAnimator.h"

#include <QFont>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

namespace kestrine {

struct KeyButtonStyle {
    bool prominent = false;
    bool compact = false;
    bool active = false;

    static constexpr qreal depth = 2;

    qreal corner() const { return compact ? 7 : 9; }
    // Horizontal and vertical padding around the text.
    QSizeF padding() const { return compact ? QSizeF(9, 4) : QSizeF(14, 6); }
    // Caption when compact, callout otherwise; medium weight.
    QFont font() const;
    QColor textColor() const;
    // The face around `text`: the text's size plus the padding on each side.
    QSizeF faceSize(const QString& text) const;
    KeySurface::Params surface(qreal press) const;
    // A 0.06 s ease-out; not animated with reduce motion.
    static Motion pressMotion(bool reduceMotion);
};

}  // namespace kestrine
