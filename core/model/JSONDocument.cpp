#include "core/model/JSONDocument.h"

#include "core/model/JSONStringBytes.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kestrine {

// ---- JSONValue ---------------------------------------------------------------------------

JSONValue::Type JSONValue::type() const { return document_->nodes_[node_].type; }
bool JSONValue::boolean() const { return document_->nodes_[node_].boolean; }
std::string_view JSONValue::string() const { return document_->nodes_[node_].text; }
std::string_view JSONValue::numberText() const { return document_->nodes_[node_].text; }
std::int64_t JSONValue::integer() const { return document_->nodes_[node_].integer; }
std::uint64_t JSONValue::unsignedInteger() const { return document_->nodes_[node_].unsignedInteger; }
double JSONValue::real() const { return document_->nodes_[node_].real; }

std::size_t JSONValue::size() const {
    const auto& node = document_->nodes_[node_];
    return node.type == Type::Array || node.type == Type::Object ? node.count : 0;
}

JSONValue JSONValue::operator[](std::size_t i) const {
    const auto& node = document_->nodes_[node_];
    return JSONValue(document_, document_->members_[node.first + i].node);
}

std::string_view JSONValue::key(std::size_t i) const {
    return document_->members_[document_->nodes_[node_].first + i].key;
}

std::optional<JSONValue> JSONValue::find(std::string_view key) const {
    const auto& node = document_->nodes_[node_];
    if (node.type != Type::Object) return std::nullopt;
    // The last of repeated names wins, as in most JSON readers.
    for (std::uint32_t i = node.count; i-- > 0;) {
        const auto& member = document_->members_[node.first + i];
        if (member.key == key) return JSONValue(document_, member.node);
    }
    return std::nullopt;
}

// ---- Errors ------------------------------------------------------------------------------

JSONSyntaxError::JSONSyntaxError(std::size_t offset, std::string reason)
    : offset_(offset), reason_(std::move(reason)),
      message_("malformed JSON at byte " + std::to_string(offset) + ": " + reason_) {}

// ---- Parser ------------------------------------------------------------------------------

namespace {

/// What a byte inside a string needs: 0 nothing, 1 closing quote, 2 escape, 3 control
/// character, 4 start of a multi-byte UTF-8 sequence.
constexpr std::array<std::uint8_t, 256> makeStringClasses() {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = 3;
    table['"'] = 1;
    table['\\'] = 2;
    for (int c = 0x80; c < 0x100; ++c) table[c] = 4;
    return table;
}
constexpr auto kStringClass = makeStringClasses();

/// The first byte at or after `p` that is not JSON white space, or `end`; runs of
/// indentation eight spaces at a time.
const char* skipWhiteSpace(const char* p, const char* end) {
    constexpr std::uint64_t spaces = 0x2020202020202020;
    while (p < end) {
        if (*p == ' ') {
            std::uint64_t word;
            while (end - p >= 8 && (std::memcpy(&word, p, 8), word == spaces)) p += 8;
            while (p < end && *p == ' ') ++p;
        } else if (*p == '\n' || *p == '\r' || *p == '\t') {
            ++p;
        } else {
            break;
        }
    }
    return p;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendUTF8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

class JSONDocument::Parser {
public:
    Parser(JSONDocument& document, std::string_view text)
        : doc_(document), begin_(text.data()), p_(text.data()), end_(text.data() + text.size()) {}

    void run() {
        if (end_ - p_ >= 3 && std::string_view(p_, 3) == "\xEF\xBB\xBF") p_ += 3; // byte order mark
        skipSpace();
        if (p_ == end_) fail("the document is empty");
        value(0);
        skipSpace();
        if (p_ != end_) fail("unexpected text after the document");
    }

private:
    using Type = JSONValue::Type;

    [[noreturn]] void fail(const char* reason) const {
        throw JSONSyntaxError(static_cast<std::size_t>(p_ - begin_), reason);
    }

    void skipSpace() { p_ = skipWhiteSpace(p_, end_); }

    std::uint32_t newNode(Type type) {
        doc_.nodes_.emplace_back();
        doc_.nodes_.back().type = type;
        return static_cast<std::uint32_t>(doc_.nodes_.size() - 1);
    }

    std::uint32_t value(int depth) {
        if (p_ == end_) fail("unexpected end of text, expected a value");
        switch (*p_) {
        case '{':
            return container(depth, Type::Object, '}');
        case '[':
            return container(depth, Type::Array, ']');
        case '"': {
            auto text = string();
            auto index = newNode(Type::String);
            doc_.nodes_[index].text = text;
            return index;
        }
        case 't':
            return literal("true", Type::Boolean, true);
        case 'f':
            return literal("false", Type::Boolean, false);
        case 'n':
            return literal("null", Type::Null, false);
        default:
            if (*p_ == '-' || (*p_ >= '0' && *p_ <= '9')) return number();
            fail("unexpected character, expected a value");
        }
    }

    std::uint32_t literal(std::string_view word, Type type, bool flag) {
        if (static_cast<std::size_t>(end_ - p_) < word.size() || std::string_view(p_, word.size()) != word)
            fail("invalid literal");
        p_ += word.size();
        auto index = newNode(type);
        doc_.nodes_[index].boolean = flag;
        return index;
    }

    std::uint32_t container(int depth, Type type, char close) {
        if (depth >= JSONDocument::maxDepth) fail("nested too deeply");
        const bool isObject = type == Type::Object;
        auto index = newNode(type);
        ++p_;
        skipSpace();
        const std::size_t base = pending_.size();
        if (p_ < end_ && *p_ == close) {
            ++p_;
        } else {
            for (;;) {
                std::string_view key;
                if (isObject) {
                    if (p_ == end_ || *p_ != '"') fail("expected a member name");
                    key = string();
                    skipSpace();
                    if (p_ == end_ || *p_ != ':') fail("expected ':'");
                    ++p_;
                    skipSpace();
                }
                auto child = value(depth + 1);
                pending_.push_back(Member{key, child});
                skipSpace();
                if (p_ == end_) fail(isObject ? "unterminated object" : "unterminated array");
                if (*p_ == ',') {
                    ++p_;
                    skipSpace();
                    continue;
                }
                if (*p_ == close) {
                    ++p_;
                    break;
                }
                fail(isObject ? "expected ',' or '}'" : "expected ',' or ']'");
            }
        }
        auto& node = doc_.nodes_[index];
        node.first = static_cast<std::uint32_t>(doc_.members_.size());
        node.count = static_cast<std::uint32_t>(pending_.size() - base);
        doc_.members_.insert(doc_.members_.end(), pending_.begin() + static_cast<std::ptrdiff_t>(base), pending_.end());
        pending_.resize(base);
        return index;
    }

    std::uint32_t number() {
        const char* start = p_;
        if (*p_ == '-') ++p_;
        if (p_ == end_) fail("invalid number");
        if (*p_ == '0') {
            ++p_;
        } else if (*p_ >= '1' && *p_ <= '9') {
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
        } else {
            fail("invalid number");
        }
        bool whole = true;
        if (p_ < end_ && *p_ == '.') {
            whole = false;
            ++p_;
            if (p_ == end_ || *p_ < '0' || *p_ > '9') fail("invalid number: no digit after '.'");
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
        }
        if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
            whole = false;
            ++p_;
            if (p_ < end_ && (*p_ == '+' || *p_ == '-')) ++p_;
            if (p_ == end_ || *p_ < '0' || *p_ > '9') fail("invalid number: no digit in the exponent");
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
        }
        auto index = newNode(Type::Real);
        auto& node = doc_.nodes_[index];
        node.text = std::string_view(start, static_cast<std::size_t>(p_ - start));
        if (whole) {
            if (*start == '-') {
                std::int64_t v = 0;
                if (std::from_chars(start, p_, v).ec == std::errc()) {
                    node.type = Type::Integer;
                    node.integer = v;
                    return index;
                }
            } else {
                std::uint64_t v = 0;
                if (std::from_chars(start, p_, v).ec == std::errc()) {
                    node.type = Type::Unsigned;
                    node.unsignedInteger = v;
                    return index;
                }
            }
            // Whole numbers beyond 64 bits are kept as reals.
        }
        double d = 0;
        auto result = std::from_chars(start, p_, d);
        if (result.ec != std::errc() || !std::isfinite(d)) {
            p_ = start;
            fail("number out of range");
        }
        node.real = d;
        return index;
    }

    /// Checks one multi-byte UTF-8 sequence at p_ (RFC 3629) and steps over it.
    void utf8Sequence() {
        auto byte = [&](std::ptrdiff_t i) { return static_cast<std::uint8_t>(p_[i]); };
        auto available = end_ - p_;
        std::uint8_t lead = byte(0);
        std::uint8_t low = 0x80, high = 0xBF;
        int length;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F; // no encoded surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            fail("invalid UTF-8 in string");
        }
        if (available < length) fail("invalid UTF-8 in string");
        if (byte(1) < low || byte(1) > high) fail("invalid UTF-8 in string");
        for (int i = 2; i < length; ++i)
            if (byte(i) < 0x80 || byte(i) > 0xBF) fail("invalid UTF-8 in string");
        p_ += length;
    }

    std::uint32_t hex4() {
        if (end_ - p_ < 4) fail("invalid \\u escape");
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            int d = hexDigit(p_[i]);
            if (d < 0) fail("invalid \\u escape");
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        p_ += 4;
        return v;
    }

    /// Reads a string starting at its opening quote; the text is a view into the source
    /// unless the string holds escapes.
    std::string_view string() {
        ++p_;
        const char* start = p_;
        for (;;) {
            p_ = skipPlainStringBytes(p_, end_);
            if (p_ == end_) fail("unterminated string");
            switch (kStringClass[static_cast<std::uint8_t>(*p_)]) {
            case 1: {
                std::string_view text(start, static_cast<std::size_t>(p_ - start));
                ++p_;
                return text;
            }
            case 3:
                fail("control character in string");
            case 4:
                utf8Sequence();
                continue;
            default:
                return escapedString(start);
            }
        }
    }

    std::string_view escapedString(const char* start) {
        std::string out(start, static_cast<std::size_t>(p_ - start));
        for (;;) {
            const char* run = p_;
            p_ = skipPlainStringBytes(p_, end_);
            out.append(run, static_cast<std::size_t>(p_ - run));
            if (p_ == end_) fail("unterminated string");
            switch (kStringClass[static_cast<std::uint8_t>(*p_)]) {
            case 1:
                ++p_;
                doc_.unescaped_.push_back(std::move(out));
                return doc_.unescaped_.back();
            case 3:
                fail("control character in string");
            case 4: {
                const char* sequence = p_;
                utf8Sequence();
                out.append(sequence, static_cast<std::size_t>(p_ - sequence));
                continue;
            }
            default:
                break;
            }
            ++p_; // the backslash
            if (p_ == end_) fail("unterminated string");
            char c = *p_++;
            switch (c) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::uint32_t cp = hex4();
                if (cp >= 0xDC00 && cp <= 0xDFFF) fail("lone low surrogate in \\u escape");
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') fail("high surrogate without a low one");
                    p_ += 2;
                    std::uint32_t low = hex4();
                    if (low < 0xDC00 || low > 0xDFFF) fail("high surrogate without a low one");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUTF8(out, cp);
                break;
            }
            default:
                --p_;
                fail("invalid escape in string");
            }
        }
    }

    JSONDocument& doc_;
    const char* begin_;
    const char* p_;
    const char* end_;
    std::vector<Member> pending_; // members of the containers being read, innermost last
};

JSONDocument::JSONDocument(std::string_view text) {
    nodes_.reserve(text.size() / 24 + 4);
    members_.reserve(text.size() / 24 + 4);
    Parser(*this, text).run();
}

} // namespace kestrine
