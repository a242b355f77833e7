#include "core/plist/PlistCoding.h"

#include "core/plist/PlistScreen.h"
#include "core/support/FileURL.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace kestrine::plist {
namespace {

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

// The library keeps dates as whole seconds plus microseconds, both 32-bit.
constexpr double kMinDateSeconds = -2147483648.0;
constexpr double kMaxDateSeconds = 2147483647.0;

// Seconds from 1970 to 2001, the property-list epoch.
constexpr std::int64_t kEpoch2001 = 978307200;
// Far beyond any date in a file (about 30 million years); keeps the calendar sums exact.
constexpr double kMaxWholeDateSeconds = 1e15;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

/// The library reads and writes a date beyond the 32-bit range of its date accessors only
/// as XML text, in whole seconds ("2100-06-01T12:34:56Z"): these two carry such a date.
std::int64_t wholeSecondsFromXML(plist_t node) {
    char* out = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &out, &length);
    if (!out) throw PlistError("date could not be read");
    std::string xml(out, length);
    plist_to_xml_free(out);
    auto open = xml.find("<date>");
    long long year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (open == std::string::npos ||
        std::sscanf(xml.c_str() + open + 6, "%lld-%u-%uT%u:%u:%uZ", &year, &month, &day, &hour, &minute, &second) != 6)
        throw PlistError("date could not be read");
    return (daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second) - kEpoch2001;
}

plist_t wideDateNode(std::int64_t secondsSince2001) {
    const std::int64_t unix = secondsSince2001 + kEpoch2001;
    std::int64_t days = unix / 86400, rest = unix % 86400;
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char xml[160];
    std::snprintf(xml, sizeof xml, "<plist version=\"1.0\"><date>%04lld-%02u-%02uT%02u:%02u:%02uZ</date></plist>",
                  static_cast<long long>(year), month, day, static_cast<unsigned>(rest / 3600),
                  static_cast<unsigned>(rest / 60 % 60), static_cast<unsigned>(rest % 60));
    plist_t node = nullptr;
    plist_from_xml(xml, static_cast<std::uint32_t>(std::strlen(xml)), &node);
    Node owner(node);
    if (!node || plist_get_node_type(node) != PLIST_DATE || wholeSecondsFromXML(node) != secondsSince2001)
        throw PlistError("date out of range");
    return owner.release();
}

// Strings must be well-formed UTF-8 (the binary format's one-byte strings are ASCII);
// anything else would not survive being written again.
using kestrine::isValidUTF8;

std::string checkedString(char* raw) {
    std::string out = raw ? raw : "";
    free(raw);
    if (!isValidUTF8(out)) throw PlistError("property list holds a string that is not valid UTF-8");
    return out;
}

plist_t toNode(const Value& value);

plist_t toNodeChecked(const Value& value) {
    plist_t node = toNode(value);
    if (!node) throw PlistError("property-list value could not be built");
    return node;
}

plist_t toNode(const Value& value) {
    switch (value.type()) {
    case Value::Type::String:
        if (!isValidUTF8(*value.string())) throw PlistError("string is not valid UTF-8");
        if (value.string()->find('\0') != std::string::npos)
            throw PlistError("a string holding U+0000 cannot be written without cutting it");
        return plist_new_string(value.string()->c_str());
    case Value::Type::Uid:
        return plist_new_uid(value.uid()->value);
    case Value::Type::Integer:
        return plist_new_uint(static_cast<std::uint64_t>(*value.signedInteger()));
    case Value::Type::Unsigned: {
        auto s = value.signedInteger();
        if (!s) throw PlistError("integer above the signed 64-bit range cannot be written");
        return plist_new_uint(static_cast<std::uint64_t>(*s));
    }
    case Value::Type::Real:
        return plist_new_real(*value.real());
    case Value::Type::Boolean:
        return plist_new_bool(*value.boolean() ? 1 : 0);
    case Value::Type::Date: {
        // Split the way the library reads back: whole seconds toward zero, and microseconds
        // carrying the same sign, so that any date read from a file writes out unchanged.
        double t = value.date()->secondsSince2001;
        double whole = std::trunc(t);
        if (!std::isfinite(t) || std::fabs(whole) > kMaxWholeDateSeconds) throw PlistError("date out of range");
        if (whole < kMinDateSeconds || whole > kMaxDateSeconds) {
            // Beyond about 68 years from 2001 the library takes only whole seconds.
            if (whole != t)
                throw PlistError("a date more than 68 years from 2001 with a fraction of a second cannot be "
                                 "written without changing it");
            return wideDateNode(static_cast<std::int64_t>(whole));
        }
        auto sec = static_cast<std::int64_t>(whole);
        auto usec = std::llround((t - whole) * 1e6);
        if (usec >= 1000000) { sec += 1; usec -= 1000000; }
        if (usec <= -1000000) { sec -= 1; usec += 1000000; }
        if (sec < kMinDateSeconds || sec > kMaxDateSeconds) throw PlistError("date out of range");
        // The library stores sec + usec / 1e6 as one double and truncates when it splits it
        // again, so the stored double can read back a microsecond short, and every load and
        // save would move the date on. Store the neighbour that reads back as this date.
        const auto exactly = [&](std::int64_t micros) {
            Node node(plist_new_date(static_cast<std::int32_t>(sec), static_cast<std::int32_t>(micros)));
            std::int32_t readSec = 0, readMicros = 0;
            plist_get_date_val(node.get(), &readSec, &readMicros);
            return readSec == sec && readMicros == std::llabs(usec);
        };
        if (usec != 0 && !exactly(usec) && exactly(usec + (usec < 0 ? -1 : 1))) usec += usec < 0 ? -1 : 1;
        return plist_new_date(static_cast<std::int32_t>(sec), static_cast<std::int32_t>(usec));
    }
    case Value::Type::Data: {
        const auto& d = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
    }
    case Value::Type::Array: {
        Node array(plist_new_array());
        for (const auto& element : *value.array()) plist_array_append_item(array.get(), toNodeChecked(element));
        return array.release();
    }
    case Value::Type::Dictionary: {
        Node dict(plist_new_dict());
        for (const auto& [key, element] : *value.dictionary()) {
            if (!isValidUTF8(key)) throw PlistError("dictionary key is not valid UTF-8");
            plist_dict_set_item(dict.get(), key.c_str(), toNodeChecked(element));
        }
        return dict.release();
    }
    }
    throw PlistError("unknown value type");
}

Value fromNode(plist_t node, int depth) {
    if (depth > 512) throw PlistError("property list nested too deeply");
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT: {
        std::uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return Value(static_cast<std::int64_t>(u));
    }
    case PLIST_UID: {
        std::uint64_t u = 0;
        plist_get_uid_val(node, &u);
        return Value(Uid{u});
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING: {
        // Read in place: the same text up to its first NUL that a copy would give.
        const char* s = plist_get_string_ptr(node, nullptr);
        std::string out = s ? s : "";
        if (!isValidUTF8(out)) throw PlistError("property list holds a string that is not valid UTF-8");
        return Value(std::move(out));
    }
    case PLIST_KEY: {
        char* s = nullptr;
        plist_get_key_val(node, &s);
        return Value(checkedString(s));
    }
    case PLIST_DATE: {
        std::int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // The library splits a date by truncation and hands back the fraction's magnitude, so
        // before 2001 the microseconds count away from zero. (A date less than a second before
        // 2001 comes back without its sign; the split cannot tell it apart.)
        double fraction = static_cast<double>(usec) / 1e6;
        if (sec == std::numeric_limits<std::int32_t>::min()) {
            // Its seconds do not fit the accessor (which then gives this value): the whole
            // seconds come from the date's XML text, the fraction is still right.
            const auto whole = static_cast<double>(wholeSecondsFromXML(node));
            return Value(Date{whole < 0 ? whole - fraction : whole + fraction});
        }
        return Value(Date{sec < 0 ? sec - fraction : sec + fraction});
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(node, &length));
        return Value(bytes ? Data(bytes, bytes + length) : Data());
    }
    case PLIST_ARRAY: {
        Array out;
        std::uint32_t n = plist_array_get_size(node);
        out.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) out.push_back(fromNode(plist_array_get_item(node, i), depth + 1));
        return Value(std::move(out));
    }
    case PLIST_DICT: {
        Dictionary out;
        plist_dict_iter raw = nullptr;
        plist_dict_new_iter(node, &raw);
        std::unique_ptr<void, decltype(&free)> it(raw, &free); // freed on every way out
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it.get(), &key, &item);
            if (!item) {
                free(key);
                break;
            }
            std::string k = checkedString(key);
            // Keys usually come in ascending order (this library writes them so): the hint
            // makes each insertion constant time. A repeated key keeps its last value.
            out.insert_or_assign(out.end(), std::move(k), fromNode(item, depth + 1));
        }
        return Value(std::move(out));
    }
    default:
        throw PlistError("unsupported property-list node");
    }
}

template <typename Write, typename Free>
std::string serialise(const Value& value, Write write, Free release) {
    Node node(toNodeChecked(value));
    char* out = nullptr;
    std::uint32_t length = 0;
    write(static_cast<plist_t>(node.get()), &out, &length);
    if (!out) throw PlistError("property list could not be serialised");
    std::string bytes(out, length);
    release(out);
    return bytes;
}

} // namespace

Value parse(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) throw PlistError("property list too large");
    if (!isSafeToParse(bytes)) throw PlistError("not a property list (malformed, nested too deeply or holding U+0000)");
    plist_t node = nullptr;
    auto length = static_cast<std::uint32_t>(bytes.size());
    if (length >= 8 && plist_is_binary(bytes.data(), length)) {
        plist_from_bin(bytes.data(), length, &node);
    } else if (length > 0) {
        plist_from_xml(bytes.data(), length, &node);
    }
    if (!node) throw PlistError("not a property list (malformed or truncated)");
    Node owner(node);
    return fromNode(node, 0);
}

std::string toXML(const Value& value) {
    return serialise(value, plist_to_xml, plist_to_xml_free);
}

std::string toBinary(const Value& value) {
    return serialise(value, plist_to_bin, plist_to_bin_free);
}

} // namespace kestrine::plist
