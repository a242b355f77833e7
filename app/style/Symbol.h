// The handful of small symbols the interface uses, drawn as vector paths in any colour and size.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;
class QPainterPath;

namespace kestrine {

enum class Symbol {
    xmark,
    plus,
    checkmark,
    pencil,
    gearshape,
    magnifyingglass,
    exclamationmarkTriangleFill,
    xmarkCircleFill,
    checkmarkCircleFill,
};

namespace SymbolPainter {

// The symbol's outline for a square glyph box of side `size` at the origin; `weight` sets the
// stroke thickness like a font weight.
QPainterPath path(Symbol symbol, qreal size, QFont::Weight weight = QFont::Normal);

// Draws the symbol at `size` points, centred in `box`, filled with `color`.
void paint(QPainter& painter, Symbol symbol, const QRectF& box, qreal size, const QColor& color,
           QFont::Weight weight = QFont::Normal);

}  // namespace SymbolPainter
}  // namespace kestrine
