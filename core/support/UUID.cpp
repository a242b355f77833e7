#include "core/support/UUID.h"

#include <array>
#include <cstdint>
#include <random>

namespace kestrine {

std::string makeUUID() {
    static thread_local std::mt19937_64 rng = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    std::array<std::uint8_t, 16> b{};
    for (std::size_t i = 0; i < b.size(); i += 8) {
        auto n = rng();
        for (std::size_t k = 0; k < 8; ++k) b[i + k] = static_cast<std::uint8_t>(n >> (8 * k));
    }
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        out += hex[b[i] >> 4];
        out += hex[b[i] & 15];
    }
    return out;
}

} // namespace kestrine
