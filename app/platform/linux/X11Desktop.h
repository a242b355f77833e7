// Two questions about the X11 desktop the application runs on, asked on Qt's own connection:
// whether translucent windows are composited, and how to hand a window the keyboard focus when
// another application is active. Off X11 (Wayland, offscreen) the answers are the platform's.
#pragma once

class QWidget;

namespace kestrine::X11Desktop {

// True when the platform is not X11, or when a compositing manager owns the screen's
// _NET_WM_CM_S<n> selection.
bool hasCompositingManager();

// Gives the shown top-level `window` the keyboard focus: through the window manager's
// _NET_ACTIVE_WINDOW request when a manager is running, else by setting the input focus directly.
// Does nothing off X11.
void takeFocus(QWidget* window);

}  // namespace kestrine::X11Desktop
