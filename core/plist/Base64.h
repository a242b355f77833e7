#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/plist/Value.h"

namespace kestrine::plist {

/// RFC 4648 Base64, standard alphabet, "=" padding, no line breaks.
std::string base64Encode(const Data& bytes);

/// Strict inverse of base64Encode: returns nothing for any text that is not canonical
/// padded Base64 (wrong length, characters outside the alphabet, white space, misplaced
/// padding or non-zero bits in the final character).
std::optional<Data> base64Decode(std::string_view text);

/// The same into `out`, reusing its storage; false (and `out` unspecified) for text that
/// is not canonical.
bool base64Decode(std::string_view text, Data& out);

} // namespace kestrine::plist
