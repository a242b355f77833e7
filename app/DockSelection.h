// The dock asked for on the command line (--dock=NAME or --dock NAME) or in KESTRINE_DOCK, the
// command line winning; without either, the dock detection decides. Shared by every way the
// program starts, so that the other arguments can be read without the dock option.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/AppPaths.h"
#include "core/system/DockChoice.h"

namespace kestrine::DockSelection {

inline constexpr const char* option = "--dock";
inline constexpr const char* variable = "KESTRINE_DOCK";

struct Request {
    /// The dock named explicitly; nothing when detection should choose.
    std::optional<DockChoice> dock;
    /// The arguments with every dock option taken out, in order.
    std::vector<std::string> remaining;
};

/// Reads the dock option out of `arguments` (the command line after the program's name).
/// Throws std::invalid_argument, with a message fit for the user, for an unknown dock name
/// or a --dock without a value. An empty KESTRINE_DOCK counts as unset.
Request read(const std::vector<std::string>& arguments, const AppPaths::EnvironmentLookup& environment);

/// The dock of `request`, or the detected one when it names none.
DockChoice resolve(const Request& request, const AppPaths::EnvironmentLookup& environment);

} // namespace kestrine::DockSelection
