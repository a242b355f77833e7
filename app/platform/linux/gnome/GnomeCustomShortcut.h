// The user's own GNOME keyboard shortcut that runs "kestrine panel", for Wayland sessions where
// a program cannot grab a key itself. It is one custom keybinding of GNOME's settings daemon:
// the relocatable schema org.gnome.settings-daemon.plugins.media-keys.custom-keybinding at
// .../custom-keybindings/kestrine/, listed in the key "custom-keybindings" of
// org.gnome.settings-daemon.plugins.media-keys. The user's other custom shortcuts are left as
// they are. Uses GIO only.
#pragma once

#include <optional>
#include <string>

namespace kestrine {

class GnomeCustomShortcut {
public:
    static constexpr const char* listSchema = "org.gnome.settings-daemon.plugins.media-keys";
    static constexpr const char* listKey = "custom-keybindings";
    static constexpr const char* bindingSchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    static constexpr const char* path = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/kestrine/";

    struct Binding {
        std::string name;     // shown in GNOME's keyboard settings
        std::string command;  // "kestrine panel"
        std::string binding;  // "<Control><Alt>d"
        friend bool operator==(const Binding&, const Binding&) = default;
    };

    /// Whether GNOME's custom-shortcut schemas are installed.
    static bool isAvailable();

    /// The binding at Kestrine's path when that path is in the list; nothing otherwise.
    static std::optional<Binding> current();

    /// Writes the binding and adds the path to the list unless it is there. Doing it again with
    /// the same binding changes nothing. False when the schemas are missing or the settings
    /// could not be written.
    static bool add(const Binding& binding);

    /// Takes the path out of the list and resets its keys. False when the schemas are missing.
    static bool remove();
};

}  // namespace kestrine
