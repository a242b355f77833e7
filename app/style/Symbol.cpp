#include "app/style/Symbol.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <cmath>
#include <numbers>

namespace kestrine::SymbolPainter {

namespace {

qreal strokeFor(qreal size, QFont::Weight weight) {
    const qreal factor = weight >= QFont::Black ? 0.24
                         : weight >= QFont::Bold ? 0.17
                         : weight >= QFont::DemiBold ? 0.145
                         : weight >= QFont::Medium ? 0.125
                                                   : 0.105;
    return std::max(qreal(1), size * factor);
}

QPainterPath stroked(const QPainterPath& centreLine, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine).simplified();
}

QPainterPath lines(std::initializer_list<std::pair<QPointF, QPointF>> segments, qreal s) {
    QPainterPath path;
    for (const auto& [a, b] : segments) {
        path.moveTo(a * s);
        path.lineTo(b * s);
    }
    return path;
}

QPainterPath checkLine(qreal s, qreal x0, qreal y0, qreal scale) {
    QPainterPath path;
    path.moveTo(QPointF(x0 + 0.0 * scale, y0 + 0.30 * scale) * s);
    path.lineTo(QPointF(x0 + 0.27 * scale, y0 + 0.57 * scale) * s);
    path.lineTo(QPointF(x0 + 0.70 * scale, y0 + 0.0 * scale) * s);
    return path;
}

QPainterPath gear(qreal s, qreal width) {
    const int teeth = 8;
    const qreal centre = s / 2;
    const qreal outer = s * 0.5;
    const qreal inner = s * 0.38;
    QPainterPath body;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal r = (i % 2 == 0) ? outer : inner;
        const qreal a0 = (i - 0.5) * std::numbers::pi / teeth;
        const qreal a1 = (i + 0.5) * std::numbers::pi / teeth;
        const QPointF p0(centre + r * std::cos(a0), centre + r * std::sin(a0));
        const QPointF p1(centre + r * std::cos(a1), centre + r * std::sin(a1));
        if (i == 0) body.moveTo(p0);
        else body.lineTo(p0);
        body.lineTo(p1);
    }
    body.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(centre, centre), s * 0.16, s * 0.16);
    return body.subtracted(hole);
}

}  // namespace

QPainterPath path(Symbol symbol, qreal s, QFont::Weight weight) {
    const qreal w = strokeFor(s, weight);
    switch (symbol) {
    case Symbol::xmark:
        return stroked(lines({{{0.2, 0.2}, {0.8, 0.8}}, {{0.8, 0.2}, {0.2, 0.8}}}, s), w);
    case Symbol::plus:
        return stroked(lines({{{0.5, 0.1}, {0.5, 0.9}}, {{0.1, 0.5}, {0.9, 0.5}}}, s), w);
    case Symbol::checkmark:
        return stroked(checkLine(s, 0.15, 0.22, 1.0), w);
    case Symbol::pencil: {
        QPainterPath shaft;
        shaft.moveTo(QPointF(0.62, 0.12) * s);
        shaft.lineTo(QPointF(0.88, 0.38) * s);
        shaft.lineTo(QPointF(0.34, 0.92) * s);
        shaft.lineTo(QPointF(0.08, 0.92) * s);
        shaft.lineTo(QPointF(0.08, 0.66) * s);
        shaft.closeSubpath();
        return stroked(shaft, w);
    }
    case Symbol::gearshape:
        return gear(s, w);
    case Symbol::magnifyingglass: {
        QPainterPath glass;
        glass.addEllipse(QPointF(0.42, 0.42) * s, 0.28 * s, 0.28 * s);
        glass.moveTo(QPointF(0.63, 0.63) * s);
        glass.lineTo(QPointF(0.9, 0.9) * s);
        return stroked(glass, w);
    }
    case Symbol::exclamationmarkTriangleFill: {
        QPainterPath triangle;
        triangle.moveTo(QPointF(0.5, 0.06) * s);
        triangle.lineTo(QPointF(0.97, 0.9) * s);
        triangle.lineTo(QPointF(0.03, 0.9) * s);
        triangle.closeSubpath();
        triangle = stroked(triangle, w * 0.8).united(triangle);
        QPainterPath mark = stroked(lines({{{0.5, 0.36}, {0.5, 0.6}}}, s), w);
        mark.addEllipse(QPointF(0.5, 0.75) * s, w * 0.6, w * 0.6);
        return triangle.subtracted(mark);
    }
    case Symbol::xmarkCircleFill:
    case Symbol::checkmarkCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QRectF(0, 0, s, s));
        const QPainterPath mark = symbol == Symbol::xmarkCircleFill
                                      ? stroked(lines({{{0.34, 0.34}, {0.66, 0.66}}, {{0.66, 0.34}, {0.34, 0.66}}}, s), w)
                                      : stroked(checkLine(s, 0.28, 0.33, 0.62), w);
        return disc.subtracted(mark);
    }
    }
    return {};
}

void paint(QPainter& painter, Symbol symbol, const QRectF& box, qreal size, const QColor& color,
           QFont::Weight weight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center() - QPointF(size / 2, size / 2));
    painter.fillPath(path(symbol, size, weight), color);
    painter.restore();
}

}  // namespace kestrine::SymbolPainter
