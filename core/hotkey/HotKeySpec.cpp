#include "core/hotkey/HotKeySpec.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kestrine {
namespace {

struct KeyEntry {
    std::uint32_t code;
    std::string_view name;
};

// Sorted by key code for binary search.
constexpr std::array<KeyEntry, 82> kKeyNames{{
    {0, "A"},         {1, "S"},         {2, "D"},         {3, "F"},          {4, "H"},         {5, "G"},
    {6, "Z"},         {7, "X"},         {8, "C"},         {9, "V"},          {11, "B"},        {12, "Q"},
    {13, "W"},        {14, "E"},        {15, "R"},        {16, "Y"},         {17, "T"},        {18, "1"},
    {19, "2"},        {20, "3"},        {21, "4"},        {22, "6"},         {23, "5"},        {24, "="},
    {25, "9"},        {26, "7"},        {27, "-"},        {28, "8"},         {29, "0"},        {30, "]"},
    {31, "O"},        {32, "U"},        {33, "["},        {34, "I"},         {35, "P"},        {36, "\u21A9"},
    {37, "L"},        {38, "J"},        {39, "'"},        {40, "K"},         {41, ";"},        {42, "\\"},
    {43, ","},        {44, "/"},        {45, "N"},        {46, "M"},         {47, "."},        {48, "\u21E5"},
    {49, "Space"},    {50, "`"},        {51, "\u232B"},   {53, "\u238B"},    {64, "F17"},      {79, "F18"},
    {80, "F19"},      {90, "F20"},      {96, "F5"},       {97, "F6"},        {98, "F7"},       {99, "F3"},
    {100, "F8"},      {101, "F9"},      {103, "F11"},     {105, "F13"},      {106, "F16"},     {107, "F14"},
    {109, "F10"},     {111, "F12"},     {113, "F15"},     {114, "Help"},     {115, "\u2196"},  {116, "\u21DE"},
    {117, "\u2326"},  {118, "F4"},      {119, "\u2198"},  {120, "F2"},       {121, "\u21DF"},  {122, "F1"},
    {123, "\u2190"},  {124, "\u2192"},  {125, "\u2193"},  {126, "\u2191"},
}};

constexpr bool sortedByCode() {
    for (std::size_t i = 1; i < kKeyNames.size(); ++i)
        if (kKeyNames[i - 1].code >= kKeyNames[i].code) return false;
    return true;
}
static_assert(sortedByCode(), "key-name table must be sorted by code without repeats");

} // namespace

std::optional<std::string_view> HotKeySpec::keyName(std::uint32_t keyCode) {
    auto it = std::lower_bound(kKeyNames.begin(), kKeyNames.end(), keyCode,
                               [](const KeyEntry& entry, std::uint32_t code) { return entry.code < code; });
    if (it == kKeyNames.end() || it->code != keyCode) return std::nullopt;
    return it->name;
}

HotKeySpec::Validation HotKeySpec::validation() const {
    if (!keyName(keyCode)) return Validation::unsupportedKey;
    return modifiers.intersects(Modifiers::required) ? Validation::valid : Validation::missingModifier;
}

std::vector<std::string> HotKeySpec::displayParts() const {
    static constexpr std::pair<Modifiers, std::string_view> kSymbols[] = {
        {Modifiers::control, "\u2303"},
        {Modifiers::option, "\u2325"},
        {Modifiers::shift, "\u21E7"},
        {Modifiers::command, "\u2318"},
    };
    std::vector<std::string> parts;
    for (const auto& [member, symbol] : kSymbols)
        if (modifiers.contains(member)) parts.emplace_back(symbol);
    parts.emplace_back(keyName(keyCode).value_or("?"));
    return parts;
}

std::string HotKeySpec::displayString() const {
    std::string text;
    for (const auto& part : displayParts()) text += part;
    return text;
}

} // namespace kestrine
