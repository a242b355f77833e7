// Which dock the user has when none is named: a running Plank of the user's, else GNOME Shell
// when the desktop says GNOME and its schema is installed, else the Dock preferences file.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/AppPaths.h"
#include "core/system/DockChoice.h"

namespace kestrine::DockDetection {

/// What detection looks at, gathered from the system by detect().
struct Facts {
    /// The dock name of a running Plank of the user's ("dock1" unless started with -n).
    std::optional<std::string> runningPlank;
    /// XDG_CURRENT_DESKTOP as set (colon-separated desktop names).
    std::string currentDesktop;
    /// The GSettings schema org.gnome.shell is installed.
    bool gnomeSchemaInstalled = false;
};

/// The dock for these facts.
DockChoice choose(const Facts& facts);

/// XDG_CURRENT_DESKTOP names GNOME: one of its colon-separated names is "GNOME", in any case.
bool namesGnome(std::string_view currentDesktop);

/// The dock name of a process called "plank" owned by `uid`, found under `procRoot` (/proc):
/// its -n/--name argument, else "dock1". Nothing when no such process runs.
std::optional<std::string> runningPlank(uid_t uid, const std::filesystem::path& procRoot = "/proc");

/// Detection on this machine, for the current user, with `environment` giving
/// XDG_CURRENT_DESKTOP.
DockChoice detect(const AppPaths::EnvironmentLookup& environment);

} // namespace kestrine::DockDetection
