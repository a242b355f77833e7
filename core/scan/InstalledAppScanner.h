#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/PresetApp.h"
#include "core/plist/Value.h"

namespace kestrine {

/// Finds the applications installed in a list of folders: every bundle (an entry whose
/// extension is "app", in any case) directly inside a root or inside one of the root's
/// direct subfolders, leaving out background-only and agent applications. One
/// `PresetApp` per identity; the copy found first (root order, then name order) wins.
struct InstalledAppScanner {
    /// The entries of a bundle's information property list that the scan reads.
    static constexpr std::array<std::string_view, 5> infoKeys{"CFBundleIdentifier", "CFBundleDisplayName",
                                                              "CFBundleName", "LSUIElement", "LSBackgroundOnly"};

    /// Chooses an application's name from its bundle path and information dictionary. The
    /// dictionary holds the entries the scan reads (`infoKeys`), as found.
    using DisplayName = std::function<std::string(const std::filesystem::path& bundle, const plist::Dictionary& info)>;

    /// Folders to scan, in order of precedence.
    std::vector<std::filesystem::path> roots;
    DisplayName displayName;

    InstalledAppScanner(std::vector<std::filesystem::path> roots, DisplayName displayName);

    /// Scans the roots and returns the applications sorted by name (the user's locale,
    /// case ignored, digits by numeric value), ties by id. Never throws: unreadable
    /// folders and information files are passed over. Returns an empty list, never a
    /// partial one, when `stop` is requested before the scan ends; it is checked before
    /// each root, before each bundle and once more before sorting.
    std::vector<PresetApp> scan(std::stop_token stop = {}) const;

    /// The scan's order: by name in the user's locale (case ignored, digits by numeric
    /// value), ties by id. Also used for applications found by other means.
    static void sortByName(std::vector<PresetApp>& apps);

    /// The bundle's last path component without a trailing ".app" (any case); when that is
    /// empty, the first non-empty string of "CFBundleDisplayName" and "CFBundleName";
    /// otherwise the last path component without its extension.
    static std::string defaultDisplayName(const std::filesystem::path& bundle, const plist::Dictionary& info);

    /// "/Applications", "$HOME/Applications", "/System/Applications" and
    /// "/System/Applications/Utilities". Read afresh on each call. Without a usable $HOME
    /// the user's folder is taken from the password database, or left out.
    static std::vector<std::filesystem::path> defaultRoots();

    /// The same four folders with the user's home given.
    static std::vector<std::filesystem::path> defaultRoots(const std::filesystem::path& home);

    /// Information files larger than this are treated as unreadable.
    static constexpr std::size_t maxInfoPlistBytes = 8 * 1024 * 1024;

    /// The entries named in `infoKeys` of the top-level dictionary of a property list (XML
    /// or binary); empty when the bytes are not one or its top level is not a dictionary.
    /// Never throws: the property-list module screens out what its parser cannot take.
    static plist::Dictionary infoFromBytes(std::string_view bytes) noexcept;
};

} // namespace kestrine
