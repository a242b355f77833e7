#include "app/style/Typography.h"

#include <QApplication>
#include <QFontDatabase>

#include <cmath>

namespace kestrine::Typography {

namespace {

void applySize(QFont& font, qreal size) {
    // Pixel sizes are whole numbers; points here are device-independent pixels.
    font.setPixelSize(std::max(1, int(std::lround(size))));
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
