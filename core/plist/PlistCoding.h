#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "core/plist/Value.h"

namespace kestrine::plist {

/// A property list could not be read or written.
class PlistError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Parses a property list in binary (bplist00) or XML form. Throws PlistError.
Value parse(std::string_view bytes);

/// Serialises as an XML property list, version 1.0. Throws PlistError for values the
/// format cannot hold (an unsigned integer above the signed 64-bit range).
std::string toXML(const Value& value);

/// Serialises as a binary property list (bplist00). Throws PlistError as toXML does.
std::string toBinary(const Value& value);

} // namespace kestrine::plist
