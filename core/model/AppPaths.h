#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kestrine {

/// Names the folder that holds the program's files. Nothing here creates it; each
/// writer creates it (with any missing parents) before writing.
namespace AppPaths {

inline constexpr const char* appName = "Kestrine";

/// Looks up an environment variable; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

/// The support folder for the given values of XDG_DATA_HOME and HOME:
/// `xdgDataHome`/Kestrine when it is set to an absolute path, else
/// `home`/.local/share/Kestrine. Throws std::runtime_error when neither gives an
/// absolute path, rather than falling back to a folder relative to the working directory.
std::filesystem::path supportDirectory(const std::optional<std::string>& xdgDataHome,
                                       const std::optional<std::string>& home);

/// The user's home folder: HOME when it is an absolute path, else the home folder of the user
/// database; nothing when neither gives one.
std::optional<std::string> homeDirectory(const EnvironmentLookup& environment);

/// The support folder for the variables `environment` reports. When HOME is not set the
/// home folder of the user database is used.
std::filesystem::path supportDirectory(const EnvironmentLookup& environment);

/// The support folder of the current process.
std::filesystem::path supportDirectory();

/// The environment of this process.
EnvironmentLookup processEnvironment();

} // namespace AppPaths
} // namespace kestrine
