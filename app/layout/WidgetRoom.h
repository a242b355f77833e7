// Widgets that draw a shadow or a focus ring keep room for it inside their own geometry and say how
// much in their "room" property; layouts and focus order go by what the user sees, the rest.
#pragma once

#include <QMargins>
#include <QRect>
#include <QVariant>
#include <QWidget>

namespace kestrine::WidgetRoom {

/// The room `widget` keeps around what it shows; none for a widget without a "room" property.
inline QMargins of(const QWidget* widget) {
    return widget->property("room").value<QMargins>();
}

/// What `widget` shows: its geometry less its room.
inline QRect shown(const QWidget* widget) {
    return widget->geometry().marginsRemoved(of(widget));
}

} // namespace kestrine::WidgetRoom
