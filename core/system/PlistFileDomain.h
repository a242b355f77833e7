#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/plist/Value.h"
#include "core/system/WallClock.h"

namespace kestrine {

/// A preferences domain kept in one binary property-list file whose top level is a
/// dictionary. The in-memory domain is the file as last synchronised with this object's
/// own pending changes on top.
///
/// `synchronize` merges: it rereads the file, applies only the pending sets and removals
/// on top of what is on disk now and writes the result atomically, so that keys changed
/// by another process in the meantime, and every key this object never set, keep their
/// values.
///
/// A missing file is an empty domain. A file that is not a property list with a
/// dictionary at the top reads as an empty domain too; before a write replaces it, its
/// bytes are kept beside it as "<name>.unreadable-<time stamp>". A file that cannot be
/// read at all (permissions, a folder in its place) also reads as empty, but is never
/// written over. A file holding a value that would not be written back unchanged (a
/// string holding U+0000) is never written over either: `synchronize` refuses.
class PlistFileDomain {
public:
    explicit PlistFileDomain(std::filesystem::path file, WallClock clock = systemNow);

    const std::filesystem::path& file() const { return file_; }

    /// The value of `key`: this object's pending change of it, else the file's value as
    /// last synchronised; nothing when absent.
    std::optional<plist::Value> copyValue(const std::string& key) const;

    /// Sets `key`, or removes it when `value` is nothing. The change is pending until the
    /// next `synchronize`.
    void setValue(const std::string& key, std::optional<plist::Value> value);

    /// Writes pending changes (merged into the file as it is now) and rereads the file.
    /// Returns false when pending changes could not be stored, or when the file could not
    /// be read; the pending changes are then dropped and the in-memory domain shows what
    /// the file holds, so that a failed write is never reported later as stored.
    bool synchronize();

    bool hasPendingChanges() const { return !pending_.empty(); }

    /// Why the last `synchronize` that returned false did not store its changes.
    const std::string& lastError() const { return lastError_; }

    /// When the file as last read holds something that is not a readable domain: where its
    /// bytes are kept (the copy beside it, made now if it was not made yet), or the file
    /// itself when it cannot be read at all or no copy can be made. Nothing when the file
    /// is readable, empty or missing.
    std::optional<std::filesystem::path> unreadableFile();

private:
    enum class FileState { missing, readable, unreadable, inaccessible };

    /// Rereads the file into `disk_`; parses only when its bytes differ from the last
    /// ones seen.
    void reread();
    /// Keeps `bytes_` beside the file once; returns where. Throws when it cannot.
    std::filesystem::path keepUnreadableCopy();

    std::filesystem::path file_;
    WallClock clock_;
    FileState state_ = FileState::missing;
    std::string bytes_;       // the file's bytes as last read or written
    plist::Dictionary disk_;  // its content; empty unless readable
    std::optional<std::filesystem::path> keptCopy_; // where unreadable `bytes_` were kept
    const char* notKeptWhole_ = nullptr;            // what in `bytes_` a rewrite would change
    std::string lastError_;
    std::map<std::string, std::optional<plist::Value>> pending_;
};

} // namespace kestrine
