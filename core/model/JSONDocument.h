#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrine {

class JSONDocument;

/// A read-only handle to one value of a `JSONDocument`; valid while the document lives.
class JSONValue {
public:
    enum class Type : std::uint8_t { Null, Boolean, Integer, Unsigned, Real, String, Array, Object };

    Type type() const;
    bool isNull() const { return type() == Type::Null; }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isString() const { return type() == Type::String; }
    bool isArray() const { return type() == Type::Array; }
    bool isObject() const { return type() == Type::Object; }
    bool isNumber() const { return type() == Type::Integer || type() == Type::Unsigned || type() == Type::Real; }

    /// Typed contents; only meaningful for a value of that type.
    bool boolean() const;
    std::string_view string() const;
    std::int64_t integer() const;      // Type::Integer: a negative whole number
    std::uint64_t unsignedInteger() const; // Type::Unsigned: a non-negative whole number
    double real() const;               // Type::Real: a number with a fraction or exponent, or too large

    /// Number of elements of an array or members of an object.
    std::size_t size() const;
    /// Element `i` of an array, or the value of member `i` of an object.
    JSONValue operator[](std::size_t i) const;
    /// The name of member `i` of an object.
    std::string_view key(std::size_t i) const;
    /// The value of the last member named `key` of an object, or nothing.
    std::optional<JSONValue> find(std::string_view key) const;

    /// The number as it was written in the text.
    std::string_view numberText() const;

private:
    friend class JSONDocument;
    JSONValue(const JSONDocument* document, std::uint32_t node) : document_(document), node_(node) {}
    const JSONDocument* document_;
    std::uint32_t node_;
};

/// A strict RFC 8259 parser for documents read once and walked: it checks the whole text
/// (UTF-8 included) and keeps strings without escapes as views into the text, which must
/// outlive the document. Parsing throws JSONSyntaxError with the byte offset.
class JSONDocument {
public:
    /// Nesting deeper than this is refused rather than risking the stack.
    static constexpr int maxDepth = 256;

    explicit JSONDocument(std::string_view text);
    JSONDocument(const JSONDocument&) = delete;
    JSONDocument& operator=(const JSONDocument&) = delete;

    JSONValue root() const { return JSONValue(this, 0); }

private:
    friend class JSONValue;
    struct Node {
        JSONValue::Type type = JSONValue::Type::Null;
        bool boolean = false;
        std::uint32_t first = 0; // containers: index of the first member in members_
        std::uint32_t count = 0; // containers: number of members
        std::string_view text;   // strings: the decoded text; numbers: the literal
        union {
            std::int64_t integer;
            std::uint64_t unsignedInteger;
            double real;
        };
        Node() : integer(0) {}
    };
    struct Member {
        std::string_view key; // empty for array elements
        std::uint32_t node;
    };

    class Parser;

    std::vector<Node> nodes_;
    std::vector<Member> members_;
    std::deque<std::string> unescaped_; // texts of strings that held escapes
};

/// The text is not well-formed JSON. `offset` is the byte at which reading stopped.
class JSONSyntaxError : public std::exception {
public:
    JSONSyntaxError(std::size_t offset, std::string reason);
    const char* what() const noexcept override { return message_.c_str(); }
    std::size_t offset() const { return offset_; }
    const std::string& reason() const { return reason_; }

private:
    std::size_t offset_;
    std::string reason_;
    std::string message_;
};

} // namespace kestrine
