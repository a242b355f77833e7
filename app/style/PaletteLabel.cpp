#include "app/style/PaletteLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <climits>

namespace kestrine {

PaletteLabel::PaletteLabel(const QString& text, const QFont& font, Palette::Swatch swatch, QWidget* parent)
    : QWidget(parent), text_(text), swatch_(swatch) {
    setFont(font);
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PaletteLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void PaletteLabel::setSwatch(Palette::Swatch swatch) {
    if (swatch == swatch_) return;
    swatch_ = swatch;
    update();
}

void PaletteLabel::setWrapping(bool wraps) {
    if (wraps == wraps_) return;
    wraps_ = wraps;
    QSizePolicy policy(QSizePolicy::Preferred, wraps ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    policy.setHeightForWidth(wraps);
    setSizePolicy(policy);
    updateGeometry();
    update();
}

void PaletteLabel::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

QString PaletteLabel::shownText() const {
    if (wraps_) return text_;
    return QFontMetrics(font()).elidedText(text_, Qt::ElideRight, contentsRect().width());
}

int PaletteLabel::textFlags() const {
    return int(alignment_) | (wraps_ ? Qt::TextWordWrap : Qt::TextSingleLine);
}

QSize PaletteLabel::sizeHint() const {
    const QFontMetrics fm(font());
    const QMargins m = contentsMargins();
    // The ideal width is the whole text on one line (each paragraph on its own line).
    const QRect natural = fm.boundingRect(QRect(0, 0, INT_MAX / 2, INT_MAX / 2), int(Qt::AlignLeft | Qt::AlignTop), text_);
    return QSize(natural.width() + 1 + m.left() + m.right(), std::max(fm.height(), natural.height()) + m.top() + m.bottom());
}

QSize PaletteLabel::minimumSizeHint() const {
    const QSize hint = sizeHint();
    const QMargins m = contentsMargins();
    const QFontMetrics fm(font());
    if (!wraps_) return QSize(std::min(hint.width(), fm.horizontalAdvance(QStringLiteral("…")) * 3 + m.left() + m.right()), hint.height());
    return QSize(std::min(hint.width(), minimumWrapWidth + m.left() + m.right()), fm.height() + m.top() + m.bottom());
}

int PaletteLabel::heightForWidth(int width) const {
    const QFontMetrics fm(font());
    const QMargins m = contentsMargins();
    if (!wraps_) return fm.height() + m.top() + m.bottom();
    const int inner = std::max(1, width - m.left() - m.right());
    const QRect bounds = fm.boundingRect(QRect(0, 0, inner, INT_MAX / 2), textFlags(), text_);
    return std::max(fm.height(), bounds.height()) + m.top() + m.bottom();
}

void PaletteLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Palette::resolve(swatch_));
    painter.setFont(font());
    const QRect area = contentsRect();
    if (wraps_) {
        painter.drawText(area, textFlags(), text_);
        return;
    }
    painter.drawText(area, int(alignment_ & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownText());
}

void PaletteLabel::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ContentsRectChange) updateGeometry();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
