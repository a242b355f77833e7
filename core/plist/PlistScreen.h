#pragma once

#include <string_view>

namespace kestrine::plist {

/// Whether the property-list library can be given `bytes` without harm: it aborts the
/// process on strings holding U+0000 and overflows the stack on very deep nesting, and it
/// follows binary object references without bounds checks. parse() refuses what this
/// refuses, so such files read as malformed.
bool isSafeToParse(std::string_view bytes);

} // namespace kestrine::plist
