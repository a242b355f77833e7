#include "core/support/FileURL.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>

namespace kestrine {
namespace {

bool allowedInPath(unsigned char c) {
    if (std::isalnum(c)) return true;
    return std::strchr("-._~!$&'()*+,;=:@/", c) != nullptr && c != 0;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string percentEncodePath(std::string_view path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if (allowedInPath(c)) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

bool isValidUTF8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || s.size() - i <= static_cast<std::size_t>(extra)) return false;
        std::uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::string directoryFileURLString(std::string_view path) {
    std::string absolute(path);
    if (absolute.empty() || absolute.front() != '/') {
        char buffer[PATH_MAX];
        std::string cwd = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
        if (cwd.back() != '/') cwd += '/';
        absolute = cwd + absolute;
    }
    if (absolute.back() != '/') absolute += '/';
    return "file://" + percentEncodePath(absolute);
}

std::string ParsedURL::lastPathComponent() const {
    if (path.empty() || path == "/") return {};
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParsedURL::pathExtension() const {
    auto last = lastPathComponent();
    auto dot = last.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == last.size()) return {};
    return last.substr(dot + 1);
}

std::string ParsedURL::lastPathComponentWithoutExtension() const {
    auto last = lastPathComponent();
    auto ext = pathExtension();
    return ext.empty() ? last : last.substr(0, last.size() - ext.size() - 1);
}

std::optional<ParsedURL> parseURL(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' ||
            c == '{' || c == '|' || c == '}')
            return std::nullopt;
    }
    ParsedURL url;
    url.absoluteString = std::string(text);
    std::string_view rest = text;
    // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
    auto colon = rest.find(':');
    auto firstDelimiter = rest.find_first_of("/?#");
    if (colon != std::string_view::npos && colon > 0 && (firstDelimiter == std::string_view::npos || colon < firstDelimiter) &&
        std::isalpha(static_cast<unsigned char>(rest[0]))) {
        bool schemeOK = true;
        for (std::size_t i = 0; i < colon; ++i) {
            auto c = static_cast<unsigned char>(rest[i]);
            if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') schemeOK = false;
        }
        if (schemeOK) {
            for (std::size_t i = 0; i < colon; ++i) url.scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(rest[i])));
            rest.remove_prefix(colon + 1);
        }
    }
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        auto end = rest.find_first_of("/?#");
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    auto end = rest.find_first_of("?#");
    std::string_view rawPath = rest.substr(0, end == std::string_view::npos ? rest.size() : end);
    auto decoded = percentDecode(rawPath);
    if (!decoded) return std::nullopt;
    // Bytes that are not UTF-8 cannot be shown or stored as text (the state file is
    // UTF-8): such a path stays as written, which is ASCII and decodes to the same bytes.
    url.pathDecoded = isValidUTF8(*decoded);
    std::string path = url.pathDecoded ? std::move(*decoded) : std::string(rawPath);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    url.path = std::move(path);
    return url;
}

} // namespace kestrine
