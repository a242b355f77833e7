#include "app/settings/AppPickTile.h"

#include "app/Localization.h"
#include "app/style/Palette.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace kestrine {

namespace {

qreal inDockLineHeight() {
    return std::ceil(QFontMetricsF(AppPickTile::inDockFont()).height());
}

}  // namespace

AppPickTile::AppPickTile(PresetApp app, IconSource icon, QWidget* parent)
    : KeyTileButton(keySize, keyCorner, keyDepth, parent),
      app_(std::move(app)),
      iconSource_(std::move(icon)) {
    setCheckable(true);
    // The base class measured itself before this class could widen the room around the key.
    surfaceGeometryChanged();
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (onToggle) onToggle();
    });
    refreshAccessibility();
}

void AppPickTile::setApp(PresetApp app) {
    const bool pathChanged = app.path != app_.path || app.id != app_.id;
    const bool nameChanged = app.name != app_.name;
    app_ = std::move(app);
    if (pathChanged) {
        iconLoaded_ = false;
        icon_ = QPixmap();
    }
    if (nameChanged) {
        nameLaidOut_ = false;
        refreshAccessibility();
    }
    if (pathChanged || nameChanged) update();
}

void AppPickTile::setSelected(bool selected) {
    if (selected == isChecked()) return;
    setChecked(selected);
    setRing(selected ? std::optional(Palette::Swatch::accent) : std::nullopt);
    update();
}

void AppPickTile::setInDock(bool inDock) {
    if (inDock == inDock_) return;
    inDock_ = inDock;
    update();
}

qreal AppPickTile::visibleHeight() {
    return keySize + keyDepth + spacing + nameBoxHeight + spacing + inDockLineHeight();
}

QMarginsF AppPickTile::plateMargins() const {
    const qreal side = (width - keySize) / 2;
    return QMarginsF(side, topRoom, side, visibleHeight() - keySize - keyDepth);
}

QRectF AppPickTile::nameRect() const {
    const QRectF key = keyRect();
    return QRectF(0, key.bottom() + keyDepth + spacing, width, nameBoxHeight);
}

QRectF AppPickTile::inDockRect() const {
    return QRectF(0, nameRect().bottom() + spacing, width, inDockLineHeight());
}

QFont AppPickTile::nameFont() {
    return Typography::font(TextStyle::caption2);
}

QFont AppPickTile::inDockFont() {
    return Typography::systemFont(inDockFontSize, QFont::DemiBold);
}

const QStringList& AppPickTile::nameLines() const {
    if (nameLaidOut_) return nameLines_;
    nameLaidOut_ = true;
    nameLines_.clear();
    const QString text = QString::fromStdString(app_.name);
    const QFont font = nameFont();
    const QFontMetricsF metrics(font);
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (nameLines_.size() < nameMaxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        const bool last = nameLines_.size() == nameMaxLines - 1;
        if (last && line.textStart() + line.textLength() < text.size()) {
            // More text than lines: the last line takes the rest, shortened with an ellipsis.
            nameLines_ << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width);
        } else {
            nameLines_ << text.mid(line.textStart(), line.textLength()).trimmed();
        }
    }
    layout.endLayout();
    return nameLines_;
}

void AppPickTile::paintLabel(QPainter& painter, const QRectF& face) {
    if (!iconLoaded_) {
        iconLoaded_ = true;
        QImage image = iconSource_ ? iconSource_(app_) : QImage();
        if (!image.isNull()) {
            const qreal dpr = std::max<qreal>(1, painter.device()->devicePixelRatioF());
            const int side = int(std::lround(iconSize * dpr));
            image = image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            image.setDevicePixelRatio(dpr);
            icon_ = QPixmap::fromImage(std::move(image));
        }
    }
    if (!icon_.isNull()) {
        const QRectF target(face.center() - QPointF(iconSize / 2, iconSize / 2), QSizeF(iconSize, iconSize));
        painter.drawPixmap(target, icon_, QRectF(QPointF(0, 0), QSizeF(icon_.size())));
    }
    if (isSelected()) {
        const QRectF badge(face.right() + badgeOffset - badgeSize, face.top() - badgeOffset, badgeSize, badgeSize);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::accent());
        painter.drawEllipse(badge);
        painter.restore();
        SymbolPainter::paint(painter, Symbol::checkmark, badge, badgeSymbolSize, Palette::onAccent(), QFont::Bold);
    }
}

void AppPickTile::paintEvent(QPaintEvent* event) {
    KeyTileButton::paintEvent(event);

    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = nameFont();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(Palette::ink());
    QRectF line = nameRect();
    line.setHeight(metrics.height());
    for (const QString& text : nameLines()) {
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
        line.translate(0, metrics.lineSpacing());
    }
    if (inDock_) {
        painter.setFont(inDockFont());
        painter.setPen(Palette::accent());
        painter.drawText(inDockRect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                         Localization::tr(QStringLiteral("editor.inDock")));
    }
}

void AppPickTile::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LocaleChange ||
        event->type() == QEvent::LanguageChange)
        nameLaidOut_ = false;
    KeyTileButton::changeEvent(event);
}

void AppPickTile::refreshAccessibility() {
    setAccessibleName(QString::fromStdString(app_.name));
}

}  // namespace kestrine
