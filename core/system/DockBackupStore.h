#pragma once

#include <optional>

#include "core/plist/Value.h"

namespace kestrine {

/// Keeps snapshots of the Dock's preferences. The first snapshot ever saved is the
/// original and is never replaced.
class DockBackupStore {
public:
    virtual ~DockBackupStore() = default;
    virtual void saveBackup(const plist::Dictionary& snapshot) = 0;
    /// The original snapshot, or nothing when no backup was ever saved.
    virtual std::optional<plist::Dictionary> loadOriginal() = 0;
};

} // namespace kestrine
