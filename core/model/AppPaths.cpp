#include "core/model/AppPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace kestrine::AppPaths {
namespace {

bool isAbsolute(const std::optional<std::string>& path) {
    return path && !path->empty() && path->front() == '/';
}

std::optional<std::string> homeFromUserDatabase() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) return std::string(entry->pw_dir);
    return std::nullopt;
}

} // namespace

std::filesystem::path supportDirectory(const std::optional<std::string>& xdgDataHome,
                                       const std::optional<std::string>& home) {
    // Relative values are invalid by the XDG base-directory rules and are ignored.
    if (isAbsolute(xdgDataHome)) return std::filesystem::path(*xdgDataHome) / appName;
    if (isAbsolute(home)) return std::filesystem::path(*home) / ".local" / "share" / appName;
    throw std::runtime_error("no home folder: neither XDG_DATA_HOME nor HOME names an absolute path");
}

std::optional<std::string> homeDirectory(const EnvironmentLookup& environment) {
    auto home = environment("HOME");
    if (!isAbsolute(home)) home = homeFromUserDatabase();
    if (!isAbsolute(home)) return std::nullopt;
    return home;
}

std::filesystem::path supportDirectory(const EnvironmentLookup& environment) {
    return supportDirectory(environment("XDG_DATA_HOME"), homeDirectory(environment));
}

std::filesystem::path supportDirectory() { return supportDirectory(processEnvironment()); }

EnvironmentLookup processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name.c_str())) return std::string(value);
        return std::nullopt;
    };
}

} // namespace kestrine::AppPaths
