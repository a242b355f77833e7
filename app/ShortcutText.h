// How a shortcut is written for the user on this platform: the key caps of the header and the
// text of the panel's hint and of messages. Linux desktops write "Ctrl+Alt+D".
#pragma once

#include <string>
#include <vector>

#include "core/hotkey/HotKeySpec.h"
#include "core/hotkey/LinuxKeyNames.h"

namespace kestrine::ShortcutText {

inline std::vector<std::string> parts(const HotKeySpec& spec) {
#if defined(__APPLE__)
    return spec.displayParts();
#else
    return LinuxKeyNames::displayParts(spec);
#endif
}

inline std::string text(const HotKeySpec& spec) {
#if defined(__APPLE__)
    return spec.displayString();
#else
    return LinuxKeyNames::displayString(spec);
#endif
}

}  // namespace kestrine::ShortcutText
