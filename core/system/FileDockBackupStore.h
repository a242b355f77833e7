#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/system/DockBackupStore.h"
#include "core/system/WallClock.h"

namespace kestrine {

/// Backups of the Dock's preferences as XML property lists in one folder:
/// "original.plist", written by the first save that finds none and never replaced or
/// deleted, and "dock-yyyyMMdd-HHmmss-SSS.plist" (local time) for every save, of which
/// only the newest `maxHistory` are kept. File-system and property-list errors are passed
/// on unchanged; whatever was written before a failure stays.
struct FileDockBackupStore : DockBackupStore {
    static constexpr const char* originalName = "original.plist";

    std::filesystem::path directory;
    std::int64_t maxHistory;
    WallClock clock;

    FileDockBackupStore(std::filesystem::path directory, std::int64_t maxHistory, WallClock clock = systemNow);

    void saveBackup(const plist::Dictionary& snapshot) override;
    std::optional<plist::Dictionary> loadOriginal() override;

    /// The newest time-stamped backup, or nothing when there is none.
    std::optional<plist::Dictionary> loadLatest() const;
    /// The time-stamped backups, oldest first: entries of `directory` whose name begins
    /// with "dock-" and ends in ".plist" (both exactly), sorted by name. Throws when the
    /// folder cannot be listed (for example when it does not exist).
    std::vector<std::filesystem::path> history() const;
};

} // namespace kestrine
