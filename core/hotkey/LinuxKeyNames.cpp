#include "core/hotkey/LinuxKeyNames.h"

#include <array>
#include <cctype>
#include <utility>

namespace kestrine::LinuxKeyNames {

namespace {

using Modifiers = HotKeySpec::Modifiers;

struct KeyWords {
    std::uint32_t code;
    const char* display;     // as shown to the user
    const char* accelerator; // the X keysym name GTK accelerators use
};

// The keys the macOS table names with a symbol, and those whose keysym differs from the name.
constexpr std::array<KeyWords, 26> specialKeys{{
    {24, "=", "equal"},          {27, "-", "minus"},       {30, "]", "bracketright"},   {33, "[", "bracketleft"},
    {36, "Return", "Return"},    {39, "'", "apostrophe"},  {41, ";", "semicolon"},      {42, "\\", "backslash"},
    {43, ",", "comma"},          {44, "/", "slash"},       {47, ".", "period"},         {48, "Tab", "Tab"},
    {49, "Space", "space"},      {50, "`", "grave"},       {51, "Backspace", "BackSpace"}, {53, "Escape", "Escape"},
    {114, "Insert", "Insert"},   {115, "Home", "Home"},    {116, "Page Up", "Page_Up"}, {117, "Delete", "Delete"},
    {119, "End", "End"},         {121, "Page Down", "Page_Down"}, {123, "Left", "Left"}, {124, "Right", "Right"},
    {125, "Down", "Down"},       {126, "Up", "Up"},
}};

const KeyWords* special(std::uint32_t code) {
    for (const KeyWords& key : specialKeys)
        if (key.code == code) return &key;
    return nullptr;
}

constexpr std::array<std::pair<Modifiers, const char*>, 4> modifierWords{{
    {Modifiers::control, "Ctrl"},
    {Modifiers::option, "Alt"},
    {Modifiers::shift, "Shift"},
    {Modifiers::command, "Super"},
}};

constexpr std::array<std::pair<Modifiers, const char*>, 4> acceleratorWords{{
    {Modifiers::control, "<Control>"},
    {Modifiers::option, "<Alt>"},
    {Modifiers::shift, "<Shift>"},
    {Modifiers::command, "<Super>"},
}};

}  // namespace

std::vector<std::string> displayParts(const HotKeySpec& spec) {
    std::vector<std::string> parts;
    for (const auto& [modifier, word] : modifierWords)
        if (spec.modifiers.contains(modifier)) parts.emplace_back(word);
    if (const KeyWords* key = special(spec.keyCode))
        parts.emplace_back(key->display);
    else
        parts.emplace_back(HotKeySpec::keyName(spec.keyCode).value_or("?"));
    return parts;
}

std::string displayString(const HotKeySpec& spec) {
    std::string text;
    for (const std::string& part : displayParts(spec)) text += (text.empty() ? "" : "+") + part;
    return text;
}

std::string accelerator(const HotKeySpec& spec) {
    std::string text;
    for (const auto& [modifier, word] : acceleratorWords)
        if (spec.modifiers.contains(modifier)) text += word;
    if (const KeyWords* key = special(spec.keyCode)) return text + key->accelerator;
    std::string name(HotKeySpec::keyName(spec.keyCode).value_or(""));
    // Letters are written in lower case (the keysym), function keys as they are.
    if (name.size() == 1) name[0] = char(std::tolower(static_cast<unsigned char>(name[0])));
    return text + name;
}

}  // namespace kestrine::LinuxKeyNames
