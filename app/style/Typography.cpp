#include "app/style/Typography.h"

#include <QApplication>
#include <QFontDatabase>

#include <algorithm>

namespace kestrine::Typography {

namespace {

void applySize(QFont& font, qreal size) {
    // Points, not pixels: the screen's resolution (and the desktop's font DPI setting) turns
    // them into pixels, so text keeps its size on every screen and follows the user's settings.
    font.setPointSizeF(std::max(qreal(1), size));
}

}  // namespace

qreal pointSize(TextStyle style) {
    switch (style) {
    case TextStyle::caption2: return 10;
    case TextStyle::caption: return 10;
    case TextStyle::footnote: return 10;
    case TextStyle::subheadline: return 11;
    case TextStyle::callout: return 12;
    case TextStyle::body: return 13;
    case TextStyle::headline: return 13;
    case TextStyle::title3: return 15;
    case TextStyle::title2: return 17;
    case TextStyle::title: return 22;
    }
    return 13;
}

QFont systemFont(qreal size, QFont::Weight weight) {
    QFont font = qApp ? QApplication::font() : QFont();
    applySize(font, size);
    font.setWeight(weight);
    return font;
}

QFont font(TextStyle style, QFont::Weight weight) {
    return systemFont(pointSize(style), weight);
}

QFont monospacedFont(qreal size, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace, QFont::PreferDefault);
    font.setFixedPitch(true);
    applySize(font, size);
    font.setWeight(weight);
    return font;
}

}  // namespace kestrine::Typography
