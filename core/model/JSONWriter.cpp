#include "core/model/JSONWriter.h"

#include "core/model/JSONStringBytes.h"

#include <charconv>

#include <nlohmann/json.hpp>

namespace kestrine {

namespace {

/// Length of the well-formed UTF-8 sequence (RFC 3629: no overlong forms, no surrogates,
/// nothing above U+10FFFF) starting at `at`, or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    unsigned char lead = byte(0), low = 0x80, high = 0xBF;
    std::size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

} // namespace

void JSONWriter::key(std::string_view name) {
    newLine();
    quoted(name);
    out_ += ": ";
    afterKey_ = true;
}

void JSONWriter::string(std::string_view text) {
    beforeValue();
    quoted(text);
}

void JSONWriter::integer(std::int64_t value) {
    beforeValue();
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out_.append(digits, end);
}

void JSONWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
}

void JSONWriter::open(char bracket) {
    beforeValue();
    out_ += bracket;
    counts_.push_back(0);
}

void JSONWriter::close(char bracket) {
    std::size_t count = counts_.back();
    counts_.pop_back();
    // An empty container stays on its line: {} and [].
    if (count > 0) {
        out_ += '\n';
        out_.append(2 * counts_.size(), ' ');
    }
    out_ += bracket;
}

void JSONWriter::beforeValue() {
    // A member's value follows its key on the same line; an element starts a line of its
    // own; a value outside any container starts where the text is.
    if (afterKey_) afterKey_ = false;
    else if (!counts_.empty()) newLine();
}

void JSONWriter::newLine() {
    out_ += counts_.back()++ == 0 ? "\n" : ",\n";
    out_.append(2 * counts_.size(), ' ');
}

void JSONWriter::quoted(std::string_view text) {
    // Text that needs no escape is written as it is: printable ASCII other than '"' and
    // '\\', DEL, and well-formed UTF-8. Escapes and text that is not UTF-8 are left to
    // nlohmann, whose output and errors state files have always had; they are rare.
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* p = skipPlainStringBytes(begin, end); p != end; p = skipPlainStringBytes(p, end)) {
        auto byte = static_cast<unsigned char>(*p);
        std::size_t length = byte >= 0x80 ? utf8SequenceLength(text, static_cast<std::size_t>(p - begin)) : 0;
        if (length == 0) {
            out_ += nlohmann::json(std::string(text)).dump();
            return;
        }
        p += length;
    }
    out_ += '"';
    out_ += text;
    out_ += '"';
}

} // namespace kestrine
