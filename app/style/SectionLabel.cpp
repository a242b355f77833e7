#include "app/style/SectionLabel.h"

#include "app/Localization.h"
#include "app/style/Palette.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kestrine {

SectionLabel::SectionLabel(const QString& key, QWidget* parent) : QWidget(parent), key_(key) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SectionLabel::setKey(const QString& key) {
    key_ = key;
    updateGeometry();
    update();
}

QString SectionLabel::displayText() const {
    return Localization::shared().locale().toUpper(Localization::tr(key_));
}

QFont SectionLabel::font() {
    QFont font = Typography::font(TextStyle::caption, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

QSize SectionLabel::sizeHint() const {
    const QFontMetricsF fm(font());
    return QSize(int(std::ceil(fm.horizontalAdvance(displayText()))), int(std::ceil(fm.height())));
}

void SectionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(Palette::inkSoft());
    painter.drawText(QRectF(rect()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, displayText());
}

void SectionLabel::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) {
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace kestrine
