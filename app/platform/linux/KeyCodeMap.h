#pragma once

#include <cstdint>
#include <optional>

namespace kestrine::linux_keys {

/// The X keysym of the key at a macOS virtual key code of the shortcut key table.
std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t macKeyCode);

/// The macOS virtual key code for an unshifted X keysym (for example XK_a, XK_F5).
std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym);

/// The macOS virtual key code for a Qt::Key value, used when no native key is known.
std::optional<std::uint32_t> keyCodeForQtKey(int qtKey);

} // namespace kestrine::linux_keys
