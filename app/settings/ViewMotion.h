// Small animations shared by the settings views: the spring that carries cards and tiles to new
// places, the hover timing, and fading a child widget in and out.
#pragma once

#include <QEasingCurve>

class QWidget;

namespace kestrine::ViewMotion {

// Moved cards and tiles follow a spring of response 0.32 s and damping fraction 0.82. As a timed
// curve it needs half a second to settle within a thousandth of the distance.
constexpr double moveResponse = 0.32;
constexpr double moveDampingFraction = 0.82;
constexpr int moveDurationMs = 500;
QEasingCurve moveCurve();

// Hover changes ease out over 0.15 s, or 0.1 s with reduce motion.
int hoverDurationMs(bool reduceMotion);
// Badges and drop bars fade over this long.
constexpr int fadeDurationMs = 150;

// Fades `widget` in (showing it at once) or out (hiding it once transparent). A fade already under
// way turns around from where it is. A widget that is hidden and asked to hide stays as it is.
void fade(QWidget* widget, bool shown, int durationMs = fadeDurationMs);
// The opacity a fade has reached: 1 for a widget without a fade, 0 for a hidden one.
double fadeOpacity(const QWidget* widget);

}  // namespace kestrine::ViewMotion
