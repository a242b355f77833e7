#include "app/platform/linux/DesktopTiles.h"

#include "app/platform/linux/DesktopEntries.h"
#include "core/dock/DockTile.h"

namespace kestrine::DesktopTiles {

plist::Dictionary applicationTile(const std::string& desktopId, const std::optional<std::string>& desktopFilePath) {
    if (auto app = DesktopEntries::lookup(desktopId)) return DockTile::make(*app).raw();
    if (desktopFilePath && !desktopFilePath->empty())
        return DockTile::make(PresetApp(desktopId, *desktopFilePath, desktopId)).raw();
    plist::Dictionary data{{"bundle-identifier", desktopId}, {"file-label", desktopId}};
    return plist::Dictionary{{"tile-type", "file-tile"}, {"tile-data", std::move(data)}};
}

std::optional<std::string> desktopId(const plist::Dictionary& tile) {
    const DockTile view(tile);
    if (auto identifier = view.bundleIdentifier(); identifier && DesktopEntries::isDesktopId(*identifier))
        return identifier;
    if (auto url = view.fileURL(); url && url->scheme == "file") return DesktopEntries::desktopIdForPath(url->path);
    return std::nullopt;
}

std::optional<std::string> desktopFilePath(const plist::Dictionary& tile) {
    const DockTile view(tile);
    if (auto url = view.fileURL(); url && url->scheme == "file" && url->pathExtension() == "desktop") return url->path;
    if (auto id = desktopId(tile))
        if (auto app = DesktopEntries::lookup(*id)) return app->path;
    return std::nullopt;
}

std::optional<std::string> stringValue(const plist::Dictionary& tile, const char* key) {
    auto it = tile.find(key);
    if (it == tile.end() || !it->second.string()) return std::nullopt;
    return *it->second.string();
}

} // namespace kestrine::DesktopTiles
