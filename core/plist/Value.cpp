#include "core/plist/Value.h"

#include <cmath>
#include <limits>

namespace kestrine::plist {

std::optional<std::int64_t> Value::signedInteger() const {
    if (auto i = std::get_if<std::int64_t>(&v_)) return *i;
    if (auto u = std::get_if<std::uint64_t>(&v_)) {
        if (*u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return static_cast<std::int64_t>(*u);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> Value::unsignedInteger() const {
    if (auto u = std::get_if<std::uint64_t>(&v_)) return *u;
    if (auto i = std::get_if<std::int64_t>(&v_); i && *i >= 0) return static_cast<std::uint64_t>(*i);
    return std::nullopt;
}

std::optional<std::int64_t> Value::numberAsInt64() const {
    if (auto i = std::get_if<std::int64_t>(&v_)) return *i;
    if (auto u = std::get_if<std::uint64_t>(&v_)) return static_cast<std::int64_t>(*u);
    if (auto d = std::get_if<double>(&v_)) {
        if (!std::isfinite(*d)) return std::nullopt;
        if (*d >= 9223372036854775807.0 || *d < -9223372036854775808.0) return std::nullopt;
        return static_cast<std::int64_t>(*d);
    }
    return std::nullopt;
}

const Value* Value::find(const std::string& key) const {
    auto d = dictionary();
    if (!d) return nullptr;
    auto it = d->find(key);
    return it == d->end() ? nullptr : &it->second;
}

bool operator==(const Value& a, const Value& b) {
    if (a.isInteger() && b.isInteger()) {
        auto as = a.signedInteger(), bs = b.signedInteger();
        if (as && bs) return *as == *bs;
        auto au = a.unsignedInteger(), bu = b.unsignedInteger();
        return au && bu && *au == *bu;
    }
    if (a.isReal() && b.isReal()) {
        // Structural equality: a NaN read from a file equals itself, so a tile holding one
        // is not taken for a changed tile on every comparison.
        double x = *a.real(), y = *b.real();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    return a.v_ == b.v_;
}

} // namespace kestrine::plist
