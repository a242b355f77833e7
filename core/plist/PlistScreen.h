#pragma once

#include <string_view>

namespace kestrine::plist {

/// Whether the property-list library can be given `bytes` without harm: it aborts the
/// process on strings holding U+0000 and overflows the stack on very deep nesting, and it
/// follows binary object references without bounds checks. parse() refuses what this
/// refuses, so such files read as malformed.
bool isSafeToParse(std::string_view bytes);

/// What in a binary property list the library would not hand back whole, so that writing
/// the parsed value back would change it: a string holding U+0000 (the library cuts an
/// ASCII one there and cannot read a UTF-16 one at all). Nothing when there is none, and
/// for XML, which cannot hold U+0000.
const char* valueNotKeptWhole(std::string_view bytes);

} // namespace kestrine::plist
