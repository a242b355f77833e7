#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kestrine::plist {

class Value;

/// A point in time, seconds since 2001-01-01T00:00:00Z (the property-list epoch).
struct Date {
    double secondsSince2001 = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

/// A keyed-archive object reference (the binary format's UID), kept apart from integers
/// so that it is written back as a UID.
struct Uid {
    std::uint64_t value = 0;
    friend bool operator==(const Uid&, const Uid&) = default;
};

using Data = std::vector<std::uint8_t>;
using Array = std::vector<Value>;
using Dictionary = std::map<std::string, Value>;

/// One property-list value: string, signed or unsigned 64-bit integer, real,
/// boolean, date, data, array, dictionary with string keys, or UID.
class Value {
public:
    enum class Type { String, Integer, Unsigned, Real, Boolean, Date, Data, Array, Dictionary, Uid };

    Value() : v_(std::string()) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::int64_t i) : v_(i) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(std::uint64_t u) : v_(u) {}
    Value(double d) : v_(d) {}
    Value(bool b) : v_(b) {}
    Value(plist::Date d) : v_(d) {}
    Value(plist::Data d) : v_(std::move(d)) {}
    Value(plist::Array a) : v_(std::move(a)) {}
    Value(plist::Dictionary d) : v_(std::move(d)) {}
    Value(plist::Uid u) : v_(u) {}

    Type type() const { return static_cast<Type>(v_.index()); }

    bool isString() const { return type() == Type::String; }
    bool isInteger() const { return type() == Type::Integer || type() == Type::Unsigned; }
    bool isReal() const { return type() == Type::Real; }
    bool isNumber() const { return isInteger() || isReal(); }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isDate() const { return type() == Type::Date; }
    bool isData() const { return type() == Type::Data; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isUid() const { return type() == Type::Uid; }

    /// Typed access; nullptr when the value holds another type.
    const std::string* string() const { return std::get_if<std::string>(&v_); }
    const bool* boolean() const { return std::get_if<bool>(&v_); }
    const plist::Date* date() const { return std::get_if<plist::Date>(&v_); }
    const plist::Data* data() const { return std::get_if<plist::Data>(&v_); }
    const plist::Array* array() const { return std::get_if<plist::Array>(&v_); }
    const plist::Dictionary* dictionary() const { return std::get_if<plist::Dictionary>(&v_); }
    const plist::Uid* uid() const { return std::get_if<plist::Uid>(&v_); }
    plist::Array* array() { return std::get_if<plist::Array>(&v_); }
    plist::Dictionary* dictionary() { return std::get_if<plist::Dictionary>(&v_); }
    std::optional<std::int64_t> signedInteger() const;   // integers only, unsigned reinterpreted when it fits
    std::optional<std::uint64_t> unsignedInteger() const;
    std::optional<double> real() const { if (auto d = std::get_if<double>(&v_)) return *d; return std::nullopt; }
    /// Any number (integer or real) converted to a signed 64-bit integer; reals are truncated.
    std::optional<std::int64_t> numberAsInt64() const;

    /// Member of a dictionary value; nullptr when absent or when this is not a dictionary.
    const Value* find(const std::string& key) const;

    /// Structural equality: same type and equal contents, recursively. Integers compare
    /// by numeric value whether stored signed or unsigned.
    friend bool operator==(const Value& a, const Value& b);

private:
    std::variant<std::string, std::int64_t, std::uint64_t, double, bool, plist::Date, plist::Data, plist::Array,
                 plist::Dictionary, plist::Uid>
        v_;
};

} // namespace kestrine::plist
