#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrine {

/// The automatic look of a preset, derived from its name alone so that it is the same on
/// every screen and after every restart without being stored.
namespace PresetStyle {

/// Number of preset colours; the colours themselves belong to the views.
inline constexpr int paletteCount = 6;

/// The emoji offered to the user, in display order.
inline constexpr std::array<std::string_view, 12> emojiChoices = {
    "\U0001F4BC",   // briefcase
    "\U0001F3A7",   // headphone
    "\U0001F3AE",   // video game
    "\U0001F4DA",   // books
    "\u2615\uFE0F", // hot beverage, emoji presentation
    "\U0001F319",   // crescent moon
    "\U0001F525",   // fire
    "\U0001F3A8",   // artist palette
    "\U0001F9D8",   // person in lotus position
    "\U0001F680",   // rocket
    "\U0001F3E0",   // house
    "\u2728",       // sparkles
};

/// A group of words that, found anywhere in a lower-cased name, give it an emoji.
struct KeywordRule {
    std::vector<std::string> words;
    std::string emoji;
};

/// The keyword rules in the order they are tried; the first match wins.
const std::vector<KeywordRule>& keywordRules();

/// 64-bit FNV-1a over the bytes of `text`, with wrap-around.
std::uint64_t nameHash(std::string_view text);

/// The emoji of the first keyword rule that matches the lower-cased name, else an entry
/// of `emojiChoices()` picked by the hash of the name as given.
std::string defaultEmoji(std::string_view name);

/// Colour index 0 ..< paletteCount picked by the hash of the name as given.
int paletteIndex(std::string_view name);

} // namespace PresetStyle
} // namespace kestrine
