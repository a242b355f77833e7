#include "core/plist/Base64.h"

#include <array>

namespace kestrine::plist {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> makeLookup() {
    std::array<int, 256> table{};
    for (auto& t : table) t = -1;
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}
constexpr auto kLookup = makeLookup();

} // namespace

std::string base64Encode(const Data& bytes) {
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* to = out.data();
    const std::uint8_t* from = bytes.data();
    const std::uint8_t* end = from + bytes.size() / 3 * 3;
    for (; from != end; from += 3, to += 4) {
        std::uint32_t n = (from[0] << 16) | (from[1] << 8) | from[2];
        to[0] = kAlphabet[(n >> 18) & 63];
        to[1] = kAlphabet[(n >> 12) & 63];
        to[2] = kAlphabet[(n >> 6) & 63];
        to[3] = kAlphabet[n & 63];
    }
    // One or two bytes left: two or three characters, and the padding already in place.
    std::size_t rest = bytes.size() % 3;
    if (rest > 0) {
        std::uint32_t n = (from[0] << 16) | (rest == 2 ? from[1] << 8 : 0);
        to[0] = kAlphabet[(n >> 18) & 63];
        to[1] = kAlphabet[(n >> 12) & 63];
        if (rest == 2) to[2] = kAlphabet[(n >> 6) & 63];
    }
    return out;
}

std::optional<Data> base64Decode(std::string_view text) {
    Data out;
    if (!base64Decode(text, out)) return std::nullopt;
    return out;
}

bool base64Decode(std::string_view text, Data& out) {
    if (text.size() % 4 != 0) return false;
    // Padding only at the very end: one or two "=" in the last group. An "=" anywhere
    // else is outside the alphabet below.
    const std::size_t padding = text.empty() || text.back() != '=' ? 0 : text[text.size() - 2] == '=' ? 2 : 1;
    out.resize(text.size() / 4 * 3 - padding);
    std::uint8_t* to = out.data();
    const auto* from = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t fullGroups = text.size() / 4 - (padding > 0 ? 1 : 0);
    for (std::size_t g = 0; g < fullGroups; ++g, from += 4, to += 3) {
        int a = kLookup[from[0]], b = kLookup[from[1]], c = kLookup[from[2]], d = kLookup[from[3]];
        if ((a | b | c | d) < 0) return false;
        std::uint32_t n = (a << 18) | (b << 12) | (c << 6) | d;
        to[0] = static_cast<std::uint8_t>(n >> 16);
        to[1] = static_cast<std::uint8_t>(n >> 8);
        to[2] = static_cast<std::uint8_t>(n);
    }
    if (padding > 0) {
        int a = kLookup[from[0]], b = kLookup[from[1]], c = padding == 1 ? kLookup[from[2]] : 0;
        if ((a | b | c) < 0) return false;
        // Bits that the padding drops must be zero, or the text is not canonical.
        if (padding == 2 ? (b & 0xF) != 0 : (c & 0x3) != 0) return false;
        std::uint32_t n = (a << 18) | (b << 12) | (c << 6);
        to[0] = static_cast<std::uint8_t>(n >> 16);
        if (padding == 1) to[1] = static_cast<std::uint8_t>(n >> 8);
    }
    return true;
}

} // namespace kestrine::plist
