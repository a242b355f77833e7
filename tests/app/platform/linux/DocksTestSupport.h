#pragma once

// Shared by the dock backend tests. GIO reads XDG_* and GSETTINGS_* once per process and
// keeps its list of desktop entries, so each test executable sets up its whole world in
// prepareDocksWorld() before GIO is first used, and every test starts from a state it writes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/dock/DockTile.h"
#include "core/model/PresetApp.h"
#include "core/support/AtomicFile.h"
#include "core/system/DockPreferencesError.h"

namespace kestrine {
inline void PrintTo(const PresetApp& app, std::ostream* out) { *out << "{" << app.id << ", " << app.path << ", " << app.name << "}"; }

namespace testing {

/// The temporary folder that holds the process's configuration and data folders.
inline std::filesystem::path docksRoot;

/// Sets the environment and writes the files of this executable's world (defined once in each).
void prepareDocksWorld(const std::filesystem::path& root);

/// A desktop entry with the given extra lines.
inline void writeDesktopEntry(const std::filesystem::path& file, const std::string& name, const std::string& extra = {}) {
    writeFileAtomically(file, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=/bin/true\n" + extra);
}

/// The identities of tiles, nothing for those without one.
inline std::vector<std::optional<std::string>> identities(const std::vector<plist::Dictionary>& tiles) {
    std::vector<std::optional<std::string>> result;
    for (const auto& tile : tiles) result.push_back(DockTile(tile).identity());
    return result;
}

/// Matches a write that fails with a dock error of `code` that says what is wrong.
inline auto throwsDockError(DockPreferencesError::Code code) {
    using namespace ::testing;
    return Throws<DockPreferencesError>(AllOf(Property(&DockPreferencesError::code, code),
                                              Property(&DockPreferencesError::detail, Not(IsEmpty()))));
}

inline std::vector<DockTile> asTiles(const std::vector<plist::Dictionary>& raw) { return {raw.begin(), raw.end()}; }

inline std::vector<plist::Dictionary> asRaw(const std::vector<DockTile>& tiles) {
    std::vector<plist::Dictionary> raw;
    for (const auto& tile : tiles) raw.push_back(tile.raw());
    return raw;
}

} // namespace testing
} // namespace kestrine
