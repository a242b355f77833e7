// Soft drop shadows: of a rounded rectangle (key surfaces, the error banner) or of an image's
// silhouette (the application icon). A shadow "radius" is a blur radius whose Gaussian has a
// deviation of half of it. Blurred images are cached and shared by every caller.
#pragma once

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace kestrine::DropShadow {

// How far a shadow of `radius` moved by `offset` reaches outside its shape, rounded up.
QMarginsF reach(qreal radius, const QPointF& offset);

// The blurred silhouette of `shape` (its alpha channel) in `color`, with `margin` logical points
// of room on every side; the result has the device pixel ratio of `shape`.
QImage blurred(const QImage& shape, qreal radius, const QColor& color, qreal* margin = nullptr);

// Draws the shadow of `shape` placed at `target`, moved by `offset`. Results are cached.
void paintImage(QPainter& painter, const QImage& shape, const QRectF& target, qreal radius, const QPointF& offset,
                const QColor& color);

// Draws the shadow of a rounded rectangle. Results are cached by size, corner, blur and colour.
void paintRounded(QPainter& painter, const QRectF& rect, qreal corner, qreal radius, const QPointF& offset,
                  const QColor& color);

// How many blurred images the cache holds.
int cachedCount();

}  // namespace kestrine::DropShadow
