#pragma once

#include "core/plist/Value.h"

#include <array>
#include <optional>
#include <string_view>

namespace kestrine::InfoPlistReader {

/// The entries of a bundle's information property list that the installed-app scan uses.
inline constexpr std::array<std::string_view, 5> keys{"CFBundleIdentifier", "CFBundleDisplayName", "CFBundleName",
                                                      "LSUIElement", "LSBackgroundOnly"};

/// The entries named in `keys` of the top-level dictionary of a property list (XML or
/// binary). Empty when the bytes are not a property list or its top level is not a
/// dictionary. Never throws for any input.
///
/// Well-formed files in the common shape are read by a single pass that builds only these
/// entries; anything else is handed to the general property-list parser, so the result is
/// the same either way.
plist::Dictionary read(std::string_view bytes) noexcept;

/// The single-pass reader alone: nothing when the bytes fall outside the shape it handles
/// (which includes every malformed file). Exposed for tests.
std::optional<plist::Dictionary> readCommonForm(std::string_view bytes);

} // namespace kestrine::InfoPlistReader
