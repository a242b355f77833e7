#pragma once

#include <optional>
#include <string>

#include "core/plist/Value.h"

namespace kestrine::DesktopTiles {

/// The tile of the application with this desktop-file ID: DockTile::make of the installed
/// entry; for an ID without an installed entry, a tile whose identity and label are the
/// ID and whose file URL is `desktopFilePath` when one is known.
plist::Dictionary applicationTile(const std::string& desktopId, const std::optional<std::string>& desktopFilePath = {});

/// The desktop-file ID a tile stands for: its bundle identifier when that is a desktop ID,
/// else the ID of the desktop file its URL points at; nothing for any other tile.
std::optional<std::string> desktopId(const plist::Dictionary& tile);

/// The desktop file a tile stands for: the path of its file URL when that names a
/// ".desktop" file, else the installed entry of its desktop ID; nothing otherwise.
std::optional<std::string> desktopFilePath(const plist::Dictionary& tile);

/// The string stored under `key` of a tile, when it is one.
std::optional<std::string> stringValue(const plist::Dictionary& tile, const char* key);

} // namespace kestrine::DesktopTiles
