// Text styles of the interface, as fonts. Sizes are typographic points, which the screen's
// resolution turns into pixels.
#pragma once

#include <QFont>

namespace kestrine {

enum class TextStyle {
    caption2,
    caption,
    footnote,
    subheadline,
    callout,
    body,
    headline,
    title3,
    title2,
    title,
};

namespace Typography {

// The point size of a text style.
qreal pointSize(TextStyle style);

// The system face at `size`, in `weight`.
QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal);

// The system face at a text style's size; headline defaults to semibold like the platform's.
QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);

// The monospaced design of the system face.
QFont monospacedFont(qreal size, QFont::Weight weight = QFont::Normal);

}  // namespace Typography
}  // namespace kestrine
