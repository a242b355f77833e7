#include "app/settings/ErrorBanner.h"

#include "app/Localization.h"
#include "app/style/KeySurface.h"
#include "app/style/IconButton.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kestrine {

namespace {

// The warning symbol at the size of the message's text, centred on its first line, `inset` below
// the top and `below` above the bottom.
class WarningSymbol : public QWidget {
public:
    WarningSymbol(int inset, int below, QWidget* parent) : QWidget(parent), inset_(inset), below_(below) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const int line = QFontMetrics(Typography::font(TextStyle::callout)).height();
        return QSize(int(std::ceil(symbolSize())) + 2, inset_ + line + below_);
    }
    static qreal symbolSize() { return Typography::pointSize(TextStyle::callout) + 2; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        SymbolPainter::paint(painter, Symbol::exclamationmarkTriangleFill, QRectF(rect()).adjusted(0, inset_, 0, -below_), symbolSize(),
                             Palette::danger());
    }
    void changeEvent(QEvent* event) override {
        if (Palette::isAppearanceChange(event)) update();
        QWidget::changeEvent(event);
    }

private:
    int inset_;
    int below_;
};

}  // namespace

QMargins ErrorBanner::shadowRoom() {
    return KeySurface::shadowRoom(shadowRadius, shadowOffset);
}

ErrorBanner::ErrorBanner(const QString& message, QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // The dismiss button keeps room for its focus ring inside it; the symbol and the text keep the
    // same room above and below, and the margins are net of it.
    const QMargins ring = IconButton::room();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(shadowRoom() + padding() - QMargins(0, ring.top(), ring.right(), ring.bottom()));
    row->setSpacing(0);

    // Everything hangs from the top; symbol and text come down a little so that the first line of
    // the message is centred on the dismiss button.
    const int firstLineInset =
        std::max(0, (int(IconButton::side) - QFontMetrics(Typography::font(TextStyle::callout)).height()) / 2);
    row->addWidget(new WarningSymbol(firstLineInset + ring.top(), ring.bottom(), this), 0, Qt::AlignTop);
    row->addSpacing(spacing);

    label_ = new PaletteLabel(message, Typography::font(TextStyle::callout), Palette::Swatch::ink, this);
    label_->setWrapping(true);
    label_->setContentsMargins(0, firstLineInset + ring.top(), 0, ring.bottom());
    // The text takes what is left, at most what it needs, and wraps to its full height.
    row->addWidget(label_, 0, Qt::AlignTop);
    // The stretch sits between two gaps.
    row->addStretch();
    row->addSpacing(2 * spacing - ring.left());

    dismiss_ = new IconButton(Symbol::xmark, 10, QFont::Bold, this);
    dismiss_->setToolTip(Localization::tr("banner.dismiss"));
    dismiss_->setAccessibleName(Localization::tr("banner.dismiss"));
    row->addWidget(dismiss_, 0, Qt::AlignTop);
    connect(dismiss_, &QAbstractButton::clicked, this, [this] {
        if (onDismiss) onDismiss();
    });
}

QString ErrorBanner::message() const {
    return label_->text();
}

void ErrorBanner::setMessage(const QString& message) {
    label_->setText(message);
    updateGeometry();
}

QRect ErrorBanner::cardRect() const {
    return rect().marginsRemoved(shadowRoom());
}

void ErrorBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card(cardRect());
    KeySurface::paintShadow(painter, card, corner, shadowRadius, shadowOffset, Palette::shadow());
    QPainterPath shape;
    shape.addRoundedRect(card, corner, corner);
    painter.fillPath(shape, Palette::raised());
    // A 1-point border inside the card's edge.
    const QRectF inner = card.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(withOpacity(Palette::danger(), borderOpacity), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(inner, corner - 0.5, corner - 0.5);
}

void ErrorBanner::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
