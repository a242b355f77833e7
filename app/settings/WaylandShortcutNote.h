// Under the shortcut row in a Wayland session, where a program cannot listen for a key of its
// own: says that the desktop's keyboard settings must run "kestrine panel", with a button that
// copies that command; on GNOME, a button that adds (or removes) that shortcut for the user.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "core/model/AppPaths.h"

namespace kestrine {

class HotKeyCenter;
class KeyButton;
class PaletteLabel;

class WaylandShortcutNote : public QWidget {
    Q_OBJECT
    // The room kept around what it shows, inside its geometry: a composite's (KeySurface::containerRoom).
    Q_PROPERTY(QMargins room READ room)
public:
    static QMargins room();
    using EnvironmentLookup = AppPaths::EnvironmentLookup;

    /// A Wayland session: XDG_SESSION_TYPE is "wayland" or WAYLAND_DISPLAY is set.
    static bool isWaylandSession(const EnvironmentLookup& environment);
    /// GNOME, as XDG_CURRENT_DESKTOP names it, with its custom-shortcut schemas installed.
    static bool isGnome(const EnvironmentLookup& environment);

    /// "kestrine panel" when "kestrine" on the PATH is this program, else its full path.
    static QString panelCommand();

    WaylandShortcutNote(HotKeyCenter& center, const EnvironmentLookup& environment, QWidget* parent = nullptr);

    PaletteLabel* body() const { return body_; }
    KeyButton* copyButton() const { return copy_; }
    // Only on GNOME.
    KeyButton* gnomeButton() const { return gnome_; }

private:
    void refresh();

    HotKeyCenter& center_;
    PaletteLabel* body_ = nullptr;
    KeyButton* copy_ = nullptr;
    KeyButton* gnome_ = nullptr;
};

}  // namespace kestrine
