#pragma once

// Shared by the dock backend tests. GIO reads XDG_* and GSETTINGS_* once per process and
// keeps its list of desktop entries, so each test executable sets up its whole world in
// main() before GIO is first used, and every test starts from a state it writes itself.

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/dock/DockTile.h"
#include "core/model/PresetApp.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
inline void PrintTo(const PresetApp& app, std::ostream* out) { *out << "{" << app.id << ", " << app.path << ", " << app.name << "}"; }
} // namespace kestrine

namespace kestrine::testing {

/// The temporary folder that holds the process's configuration and data folders.
inline std::filesystem::path& docksRoot() {
    static std::filesystem::path root;
    return root;
}

/// Creates the temporary folder, lets `prepare` set the environment and write files,
/// runs the tests and removes the folder.
inline int runDocksTests(int argc, char** argv, const std::function<void(const std::filesystem::path&)>& prepare) {
    ::testing::InitGoogleTest(&argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrine-docks-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 2;
    docksRoot() = pattern;
    prepare(docksRoot());
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(docksRoot(), ignored);
    return result;
}

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

inline std::vector<DockTile> asTiles(const std::vector<plist::Dictionary>& raw) {
    return std::vector<DockTile>(raw.begin(), raw.end());
}

inline std::vector<plist::Dictionary> asRaw(const std::vector<DockTile>& tiles) {
    std::vector<plist::Dictionary> raw;
    for (const auto& tile : tiles) raw.push_back(tile.raw());
    return raw;
}

} // namespace kestrine::testing
