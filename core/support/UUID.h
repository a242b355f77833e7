#pragma once

#include <string>

namespace kestrine {

/// A random (version 4) UUID in its canonical text form with upper-case hexadecimal
/// digits, for example "1B4E28BA-2FA1-4D2B-883F-0016D3CCA427".
std::string makeUUID();

} // namespace kestrine
