#pragma once

#include <cstdint>
#include <cstring>

namespace kestrine {

/// Whether `byte` may stand in a JSON string as it is, on its own: printable ASCII other
/// than '"' and '\\'. (Bytes from 0x80 up may too, in well-formed UTF-8 sequences, which
/// callers check themselves.)
constexpr bool isPlainStringByte(unsigned char byte) {
    return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
}

/// The first byte from `p` on that is not a plain string byte, or `end`. Eight bytes at
/// a time while none of them is one: most of a state file's text is long runs of them
/// (Base64 above all), and both its reader and its writer go through every one.
inline const char* skipPlainStringBytes(const char* p, const char* end) {
    constexpr std::uint64_t ones = 0x0101010101010101, highs = 0x8080808080808080;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        // A high bit set somewhere when a byte is below 0x20, is '"' or '\\', or is 0x80 or
        // above; the byte loop below then finds which.
        std::uint64_t quote = word ^ (ones * '"'), backslash = word ^ (ones * '\\');
        std::uint64_t special = ((word - ones * 0x20) & ~word) | ((quote - ones) & ~quote) |
                                ((backslash - ones) & ~backslash) | word;
        if (special & highs) break;
        p += 8;
    }
    while (p < end && isPlainStringByte(static_cast<unsigned char>(*p))) ++p;
    return p;
}

} // namespace kestrine
