// Shortcuts written the way Linux desktops write them: "Ctrl+Alt+D", with the keys' names
// (Return, Tab, Backspace, Escape, Home, Page Up, Delete, End, Page Down, Left, Right, Down, Up)
// instead of the macOS symbols.
#pragma once

#include <string>
#include <vector>

#include "core/hotkey/HotKeySpec.h"

namespace kestrine::LinuxKeyNames {

/// "Ctrl", "Alt", "Shift", "Super" for the modifiers held, in that order, then the key's name
/// ("?" for a key without one).
std::vector<std::string> displayParts(const HotKeySpec& spec);

/// The parts joined with "+".
std::string displayString(const HotKeySpec& spec);

/// The shortcut as GNOME and GTK accelerators write it: "<Control><Alt>d"; nothing useful for
/// a key without a name.
std::string accelerator(const HotKeySpec& spec);

}  // namespace kestrine::LinuxKeyNames
