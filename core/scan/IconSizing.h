#pragma once

#include <cstdint>

namespace kestrine::IconSizing {

/// Pixels per point assumed for every icon.
inline constexpr int backingScale = 2;

/// Total cost (bytes) the icon cache may hold: 8 MiB.
inline constexpr std::int64_t costLimit = 0x800000;

/// Number of icons the icon cache may hold.
inline constexpr int countLimit = 400;

/// Pixel side of a square icon drawn at `points`: max(ceil(points x 2), 1). Sizes that are
/// not a number give 1; sizes whose side would not fit a signed 64-bit integer give the
/// largest such integer.
std::int64_t pixelSide(double points);

/// Bytes of an RGBA bitmap of that side: max(side, 0)^2 x 4, saturating at the largest
/// signed 64-bit integer instead of overflowing.
std::int64_t cost(std::int64_t pixelSide);

} // namespace kestrine::IconSizing
