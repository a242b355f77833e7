// Draws a group of shapes at one opacity as a whole (like fading a finished picture), rather than
// fading each shape, which would let the shapes underneath show through the ones on top.
#pragma once

#include <QRect>

#include <functional>

class QPainter;

namespace kestrine {

// Calls `draw` with a painter on a transparent layer covering `area` (in the painter's logical
// coordinates), then composites the layer at `opacity`. At opacity 1, draws directly.
void paintWithGroupOpacity(QPainter& painter, const QRect& area, qreal opacity,
                           const std::function<void(QPainter&)>& draw);

}  // namespace kestrine
