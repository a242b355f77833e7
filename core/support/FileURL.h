#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrine {

/// Percent-encodes every byte of a UTF-8 path that RFC 3986 does not allow in a URL
/// path: letters, digits, "-._~", the sub-delimiters "!$&'()*+,;=", ":", "@" and "/"
/// stay; everything else, "%" included, becomes "%XX" in upper-case hexadecimal.
std::string percentEncodePath(std::string_view path);

/// Inverse of percentEncodePath; nothing when a "%" is not followed by two hex digits.
std::optional<std::string> percentDecode(std::string_view text);

/// Whether `bytes` are well-formed UTF-8 (no overlong forms, surrogates or values beyond
/// U+10FFFF).
bool isValidUTF8(std::string_view bytes);

/// The absolute string of a file URL for `path` taken as a directory: "file://", the
/// encoded absolute path and a trailing slash. "/Applications/Foo Bar.app" gives
/// "file:///Applications/Foo%20Bar.app/". A relative path is taken relative to the
/// current folder.
std::string directoryFileURLString(std::string_view path);

/// A URL parsed from its text: just the parts the engine uses.
struct ParsedURL {
    std::string absoluteString; // the text as given
    std::string scheme;         // lower-cased; empty for a relative reference
    /// The path, trailing slash removed (except "/"): percent-decoded, unless the decoded
    /// bytes are not UTF-8 ("%FF"); then it stays percent-encoded as written, so that it
    /// is still text and names the same file without doubt.
    std::string path;
    bool pathDecoded = true; // false when `path` is kept percent-encoded

    /// Last path component ("Safari.app"), empty when the path is empty or "/".
    std::string lastPathComponent() const;
    /// Extension of the last path component without the dot ("app"), or empty.
    std::string pathExtension() const;
    /// Last path component without its extension ("Safari").
    std::string lastPathComponentWithoutExtension() const;
};

/// Parses URL text (not a file path). Fails for empty text, for text holding spaces,
/// control characters or characters outside ASCII, and for malformed percent escapes.
std::optional<ParsedURL> parseURL(std::string_view text);

} // namespace kestrine
