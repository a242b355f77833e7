#include "app/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

#include <array>

namespace kestrine::AppIcon {

namespace {

QPainterPath rounded(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// A soft shadow under `shape`: the shape repeated, growing and fading.
void paintSoftShadow(QPainter& p, const QRectF& shape, qreal corner, qreal blur, qreal dy, QColor colour) {
    const int steps = std::max(4, int(blur));
    const qreal total = colour.alphaF();
    p.setPen(Qt::NoPen);
    for (int i = steps; i >= 1; --i) {
        const qreal grow = blur * i / steps;
        colour.setAlphaF(float(total * 2.0 / steps * (1.0 - qreal(i) / steps)));
        p.setBrush(colour);
        p.drawPath(rounded(shape.adjusted(-grow, -grow + dy, grow, grow + dy), corner + grow));
    }
}

}  // namespace

QImage render(int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = pixels / 256.0;
    p.scale(s, s);

    // The tile: the icon grid's rounded square, indigo, lit from the top.
    const QRectF tile(16, 14, 224, 224);
    const qreal tileCorner = 52;
    paintSoftShadow(p, tile, tileCorner, 8, 4, QColor(0, 0, 0, 90));
    QLinearGradient tileFill(tile.topLeft(), tile.bottomLeft());
    tileFill.setColorAt(0, QColor(0x5A, 0x54, 0xD1));
    tileFill.setColorAt(1, QColor(0x2B, 0x26, 0x86));
    p.fillPath(rounded(tile, tileCorner), tileFill);
    QRadialGradient glow(QPointF(96, 40), 190);
    glow.setColorAt(0, QColor(255, 255, 255, 56));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(rounded(tile, tileCorner), glow);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(rounded(tile.adjusted(0.75, 0.75, -0.75, -0.75), tileCorner - 0.75));

    // The key cap: a cream face standing on a darker side plate.
    const QRectF face(54, 58, 148, 118);
    const qreal depth = 16;
    const qreal capCorner = 30;
    const QRectF plate = face.adjusted(0, 0, 0, depth);
    paintSoftShadow(p, plate, capCorner, 14, 8, QColor(0x10, 0x0C, 0x40, 150));
    QLinearGradient side(plate.topLeft(), plate.bottomLeft());
    side.setColorAt(0, QColor(0xD6, 0xCE, 0xBE));
    side.setColorAt(1, QColor(0xB4, 0xAA, 0x97));
    p.fillPath(rounded(plate, capCorner), side);
    QLinearGradient faceFill(face.topLeft(), face.bottomLeft());
    faceFill.setColorAt(0, QColor(0xFF, 0xFE, 0xFA));
    faceFill.setColorAt(1, QColor(0xF1, 0xEC, 0xE1));
    p.fillPath(rounded(face, capCorner), faceFill);
    p.setPen(QPen(QColor(255, 255, 255, 230), 2));
    p.drawLine(QPointF(face.left() + capCorner, face.top() + 1.5), QPointF(face.right() - capCorner, face.top() + 1.5));

    // On the cap, a dock: a shallow well holding three application tiles.
    const QRectF well(face.left() + 20, face.top() + 62, face.width() - 40, 36);
    p.setPen(Qt::NoPen);
    p.fillPath(rounded(well, 12), QColor(0xE2, 0xDA, 0xCB));
    const std::array<QColor, 3> colours{QColor(0xEE, 0x6C, 0x4D), QColor(0x2F, 0xA8, 0x8E), QColor(0xF2, 0xB1, 0x34)};
    const qreal app = 26;
    const qreal gap = 9;
    const qreal rowWidth = 3 * app + 2 * gap;
    for (int i = 0; i < 3; ++i) {
        const QRectF square(well.center().x() - rowWidth / 2 + i * (app + gap), well.top() - 12, app, app);
        p.fillPath(rounded(square.translated(0, 2), 8), QColor(0, 0, 0, 40));
        QLinearGradient fill(square.topLeft(), square.bottomLeft());
        fill.setColorAt(0, colours[std::size_t(i)].lighter(112));
        fill.setColorAt(1, colours[std::size_t(i)]);
        p.fillPath(rounded(square, 8), fill);
    }
    // The selection dot under the middle tile, in the accent colour.
    p.setBrush(QColor(0x3B, 0x35, 0xA8));
    p.drawEllipse(QPointF(well.center().x(), well.bottom() - 7), 3.2, 3.2);

    // A small number tab at the cap's top-left, like the panel's digit keys.
    const QRectF tab(face.left() + 16, face.top() + 14, 26, 24);
    p.fillPath(rounded(tab.translated(0, 2.5), 7), QColor(0xC9, 0xC1, 0xB1));
    p.fillPath(rounded(tab, 7), QColor(0xFC, 0xFA, 0xF5));
    p.setPen(QPen(QColor(0x24, 0x21, 0x1C), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // The digit 1, drawn as strokes so it looks the same whatever fonts are installed.
    const QPointF c = tab.center();
    p.drawLine(QPointF(c.x() + 1, c.y() - 6.5), QPointF(c.x() + 1, c.y() + 6.5));
    p.drawLine(QPointF(c.x() + 1, c.y() - 6.5), QPointF(c.x() - 3.5, c.y() - 3));
    p.end();
    return image;
}

QIcon icon() {
    QIcon themed = QIcon::fromTheme(QStringLiteral("kestrine"));
    if (!themed.isNull()) return themed;
    QIcon drawn;
    for (int size : {16, 32, 48, 64, 128, 256}) drawn.addPixmap(QPixmap::fromImage(render(size)));
    return drawn;
}

}  // namespace kestrine::AppIcon
