// Disabled controls are drawn at 0.45 opacity as a whole picture (a QGraphicsOpacityEffect), so the
// shapes underneath do not show through the ones on top as they would if each were faded alone.
#pragma once

class QWidget;

namespace kestrine::DisabledFade {

constexpr double opacity = 0.45;

// Fades `widget` while it is disabled and removes the fade when it is enabled again; call it on
// QEvent::EnabledChange. A widget that carries another effect (a fade of its own) keeps it.
void follow(QWidget* widget);

}  // namespace kestrine::DisabledFade
