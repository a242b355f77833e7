#include "app/settings/SwatchLabel.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace kestrine {

SwatchLabel::SwatchLabel(const QString& text, const QFont& font, Palette::Swatch swatch, Lines lines, QWidget* parent)
    : QLabel(text, parent), swatch_(swatch), lines_(lines) {
    setFont(font);
    setTextFormat(Qt::PlainText);
    setWordWrap(lines == Lines::wrap);
    if (lines == Lines::single) setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SwatchLabel::setSwatch(Palette::Swatch swatch) {
    if (swatch == swatch_) return;
    swatch_ = swatch;
    update();
}

QSize SwatchLabel::minimumSizeHint() const {
    if (lines_ == Lines::wrap) return QLabel::minimumSizeHint();
    const QFontMetricsF fm(font());
    const QMargins m = contentsMargins();
    return QSize(int(fm.horizontalAdvance(QStringLiteral("…"))) + m.left() + m.right(), QLabel::sizeHint().height());
}

QString SwatchLabel::shownText() const {
    if (lines_ == Lines::wrap) return text();
    return QFontMetrics(font()).elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void SwatchLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(Palette::resolve(swatch_));
    const Qt::Alignment align = alignment();
    if (lines_ == Lines::wrap) {
        painter.drawText(contentsRect(), int(align) | Qt::TextWordWrap, text());
    } else {
        painter.drawText(contentsRect(), int(align) | Qt::TextSingleLine, shownText());
    }
}

void SwatchLabel::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QLabel::changeEvent(event);
}

}  // namespace kestrine
