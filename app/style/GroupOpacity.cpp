#include "app/style/GroupOpacity.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace kestrine {

void paintWithGroupOpacity(QPainter& painter, const QRect& area, qreal opacity,
                           const std::function<void(QPainter&)>& draw) {
    if (opacity >= 1) {
        draw(painter);
        return;
    }
    if (opacity <= 0 || area.isEmpty()) return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage layer(QSize(int(std::ceil(area.width() * dpr)), int(std::ceil(area.height() * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        layerPainter.setFont(painter.font());
        layerPainter.translate(-area.topLeft());
        draw(layerPainter);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(area.topLeft(), layer);
    painter.restore();
}

}  // namespace kestrine
