#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/model/PresetApp.h"

namespace kestrine::DesktopEntries {

/// Every application that GIO's list says should be shown (XDG_DATA_HOME before
/// XDG_DATA_DIRS, Hidden, NoDisplay, OnlyShowIn/NotShowIn and TryExec applied):
/// PresetApp{id: the desktop-file ID, path: the desktop file's absolute path, name: the
/// localised Name}, sorted like the bundle scan (name in the user's locale, then id).
/// Returns an empty list, never a partial one, when `stop` is requested. Never throws.
/// GIO reads XDG_DATA_HOME and XDG_DATA_DIRS once per process and keeps its index of the
/// folders, which its own monitors refresh a moment after entries change.
std::vector<PresetApp> scan(std::stop_token stop = {});

/// The installed entry with this desktop-file ID (whether or not it is shown), or nothing.
std::optional<PresetApp> lookup(const std::string& desktopId);

/// The Icon value of a desktop file: a theme icon name or an absolute path; nothing when
/// the file cannot be read or has no Icon.
std::optional<std::string> iconName(const std::string& desktopFilePath);

/// Whether `text` has the form of a desktop-file ID: a name ending in ".desktop" with
/// something before it and no "/".
bool isDesktopId(const std::string& text);

/// The desktop-file ID of a desktop file: its path below the "applications" folder of
/// XDG_DATA_HOME or of a folder of XDG_DATA_DIRS with "/" turned into "-"
/// (kde/foo.desktop gives kde-foo.desktop); for a file elsewhere, its file name. Nothing
/// when the file name does not end in ".desktop".
std::optional<std::string> desktopIdForPath(const std::string& desktopFilePath);

} // namespace kestrine::DesktopEntries
