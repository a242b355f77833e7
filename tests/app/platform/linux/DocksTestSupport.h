#pragma once

// Shared by the dock backend tests. GIO reads XDG_* and GSETTINGS_* once per process and
// keeps its list of desktop entries, so each test executable sets up its whole world in
// prepareDocksWorld() before GIO is first used, and every test starts from a state it writes.

#include <gmock/gmock.h>

#include <ranges>

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

/// Sets each variable, or unsets it when it has no value.
inline void setEnvironment(std::initializer_list<std::pair<const char*, std::optional<std::string>>> variables) {
    for (const auto& [name, value] : variables) value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
}

/// A desktop entry with the given extra lines.
inline void writeDesktopEntry(const std::filesystem::path& file, const std::string& name, const std::string& extra = {}) {
    writeFileAtomically(file, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=/bin/true\n" + extra);
}

/// The identities of tiles, nothing for those without one.
inline std::vector<std::optional<std::string>> identities(const std::vector<plist::Dictionary>& tiles) {
    auto view = tiles | std::views::transform([](const plist::Dictionary& tile) { return DockTile(tile).identity(); });
    return std::vector<std::optional<std::string>>(view.begin(), view.end());
}

/// Matches a write that fails with a dock error of `code` that says what is wrong.
inline auto throwsDockError(DockPreferencesError::Code code) {
    using namespace ::testing;
    return Throws<DockPreferencesError>(AllOf(Property(&DockPreferencesError::code, code),
                                              Property(&DockPreferencesError::detail, Not(IsEmpty()))));
}

inline std::vector<DockTile> asTiles(const std::vector<plist::Dictionary>& raw) { return {raw.begin(), raw.end()}; }

inline std::vector<plist::Dictionary> asRaw(const std::vector<DockTile>& tiles) {
    auto view = tiles | std::views::transform([](const DockTile& tile) { return tile.raw(); });
    return std::vector<plist::Dictionary>(view.begin(), view.end());
}

} // namespace testing
} // namespace kestrine
