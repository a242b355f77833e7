#include "app/platform/linux/KeyCodeMap.h"

#include <X11/keysym.h>

#include <Qt>

#include <utility>

namespace kestrine::linux_keys {
namespace {

struct KeyEntry {
    std::uint32_t macKeyCode;
    std::uint32_t keysym;
    int qtKey;
};

// The 82 keys a shortcut may use, by their position on the ANSI layout.
constexpr KeyEntry kKeys[] = {
    {0, XK_a, Qt::Key_A},   {1, XK_s, Qt::Key_S},   {2, XK_d, Qt::Key_D},   {3, XK_f, Qt::Key_F},
    {4, XK_h, Qt::Key_H},   {5, XK_g, Qt::Key_G},   {6, XK_z, Qt::Key_Z},   {7, XK_x, Qt::Key_X},
    {8, XK_c, Qt::Key_C},   {9, XK_v, Qt::Key_V},   {11, XK_b, Qt::Key_B},  {12, XK_q, Qt::Key_Q},
    {13, XK_w, Qt::Key_W},  {14, XK_e, Qt::Key_E},  {15, XK_r, Qt::Key_R},  {16, XK_y, Qt::Key_Y},
    {17, XK_t, Qt::Key_T},  {18, XK_1, Qt::Key_1},  {19, XK_2, Qt::Key_2},  {20, XK_3, Qt::Key_3},
    {21, XK_4, Qt::Key_4},  {22, XK_6, Qt::Key_6},  {23, XK_5, Qt::Key_5},  {24, XK_equal, Qt::Key_Equal},
    {25, XK_9, Qt::Key_9},  {26, XK_7, Qt::Key_7},  {27, XK_minus, Qt::Key_Minus}, {28, XK_8, Qt::Key_8},
    {29, XK_0, Qt::Key_0},  {30, XK_bracketright, Qt::Key_BracketRight}, {31, XK_o, Qt::Key_O},
    {32, XK_u, Qt::Key_U},  {33, XK_bracketleft, Qt::Key_BracketLeft}, {34, XK_i, Qt::Key_I},
    {35, XK_p, Qt::Key_P},  {37, XK_l, Qt::Key_L},  {38, XK_j, Qt::Key_J},  {39, XK_apostrophe, Qt::Key_Apostrophe},
    {40, XK_k, Qt::Key_K},  {41, XK_semicolon, Qt::Key_Semicolon}, {42, XK_backslash, Qt::Key_Backslash},
    {43, XK_comma, Qt::Key_Comma}, {44, XK_slash, Qt::Key_Slash}, {45, XK_n, Qt::Key_N}, {46, XK_m, Qt::Key_M},
    {47, XK_period, Qt::Key_Period}, {50, XK_grave, Qt::Key_QuoteLeft},
    {36, XK_Return, Qt::Key_Return}, {48, XK_Tab, Qt::Key_Tab}, {49, XK_space, Qt::Key_Space},
    {51, XK_BackSpace, Qt::Key_Backspace}, {53, XK_Escape, Qt::Key_Escape}, {117, XK_Delete, Qt::Key_Delete},
    {115, XK_Home, Qt::Key_Home}, {119, XK_End, Qt::Key_End}, {116, XK_Prior, Qt::Key_PageUp},
    {121, XK_Next, Qt::Key_PageDown}, {114, XK_Insert, Qt::Key_Insert},
    {123, XK_Left, Qt::Key_Left}, {124, XK_Right, Qt::Key_Right}, {125, XK_Down, Qt::Key_Down},
    {126, XK_Up, Qt::Key_Up},
    {122, XK_F1, Qt::Key_F1}, {120, XK_F2, Qt::Key_F2}, {99, XK_F3, Qt::Key_F3}, {118, XK_F4, Qt::Key_F4},
    {96, XK_F5, Qt::Key_F5}, {97, XK_F6, Qt::Key_F6}, {98, XK_F7, Qt::Key_F7}, {100, XK_F8, Qt::Key_F8},
    {101, XK_F9, Qt::Key_F9}, {109, XK_F10, Qt::Key_F10}, {103, XK_F11, Qt::Key_F11}, {111, XK_F12, Qt::Key_F12},
    {105, XK_F13, Qt::Key_F13}, {107, XK_F14, Qt::Key_F14}, {113, XK_F15, Qt::Key_F15}, {106, XK_F16, Qt::Key_F16},
    {64, XK_F17, Qt::Key_F17}, {79, XK_F18, Qt::Key_F18}, {80, XK_F19, Qt::Key_F19}, {90, XK_F20, Qt::Key_F20},
};

} // namespace

std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t macKeyCode) {
    for (const auto& k : kKeys)
        if (k.macKeyCode == macKeyCode) return k.keysym;
    return std::nullopt;
}

// What the keys of the US layout give with Shift held, back to the unshifted key.
constexpr std::pair<std::uint32_t, std::uint32_t> kShifted[] = {
    {XK_exclam, XK_1},       {XK_at, XK_2},          {XK_numbersign, XK_3},  {XK_dollar, XK_4},
    {XK_percent, XK_5},      {XK_asciicircum, XK_6}, {XK_ampersand, XK_7},   {XK_asterisk, XK_8},
    {XK_parenleft, XK_9},    {XK_parenright, XK_0},  {XK_underscore, XK_minus}, {XK_plus, XK_equal},
    {XK_braceleft, XK_bracketleft}, {XK_braceright, XK_bracketright}, {XK_colon, XK_semicolon},
    {XK_quotedbl, XK_apostrophe}, {XK_less, XK_comma}, {XK_greater, XK_period}, {XK_question, XK_slash},
    {XK_bar, XK_backslash},  {XK_asciitilde, XK_grave}, {XK_ISO_Left_Tab, XK_Tab},
};

std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym) {
    // Upper-case letter keysyms name the same key.
    if (keysym >= XK_A && keysym <= XK_Z) keysym += XK_a - XK_A;
    for (const auto& [shifted, base] : kShifted)
        if (keysym == shifted) keysym = base;
    for (const auto& k : kKeys)
        if (k.keysym == keysym) return k.macKeyCode;
    return std::nullopt;
}

std::optional<std::uint32_t> keyCodeForQtKey(int qtKey) {
    if (qtKey == Qt::Key_Backtab) qtKey = Qt::Key_Tab;
    for (const auto& k : kKeys)
        if (k.qtKey == qtKey) return k.macKeyCode;
    return std::nullopt;
}

} // namespace kestrine::linux_keys
