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
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        std::uint32_t n = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += kAlphabet[n & 63];
    }
    std::size_t rest = bytes.size() - i;
    if (rest == 1) {
        std::uint32_t n = bytes[i] << 16;
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        std::uint32_t n = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += '=';
    }
    return out;
}

std::optional<Data> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    Data out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        int v[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=') {
                // Padding only in the last group, only in its last two places, and only at the end.
                if (!last || k < 2) return std::nullopt;
                ++padding;
                v[k] = 0;
                continue;
            }
            if (padding > 0) return std::nullopt;
            v[k] = kLookup[static_cast<unsigned char>(c)];
            if (v[k] < 0) return std::nullopt;
        }
        std::uint32_t n = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out.push_back(static_cast<std::uint8_t>((n >> 16) & 0xFF));
        if (padding < 2) out.push_back(static_cast<std::uint8_t>((n >> 8) & 0xFF));
        if (padding < 1) out.push_back(static_cast<std::uint8_t>(n & 0xFF));
        // Bits that the padding drops must be zero, or the text is not canonical.
        if (padding == 1 && (v[2] & 0x3) != 0) return std::nullopt;
        if (padding == 2 && (v[1] & 0xF) != 0) return std::nullopt;
    }
    return out;
}

} // namespace kestrine::plist
