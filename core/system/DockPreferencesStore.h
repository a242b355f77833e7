#pragma once

#include <optional>
#include <vector>

#include "core/plist/Value.h"

namespace kestrine {

/// The Dock's preferences: its pinned applications ("persistent-apps"), its folders and
/// stacks ("persistent-others", never interpreted) and its recents setting
/// ("show-recents"). Reads see what was stored last and never fail: bad or missing values
/// give an empty list, no value, or true. Writes throw DockPreferencesError when the
/// change could not be stored.
class DockPreferencesStore {
public:
    /// Set in a snapshot taken while the preferences could not be read (they hold
    /// something, but not a property list this program can read): a string naming where
    /// the unreadable preferences are kept. Such a snapshot holds no Dock; `restore`
    /// ignores the key.
    static constexpr const char* unreadableFileKey = "kestrine-unreadable-file";

    virtual ~DockPreferencesStore() = default;

    /// The entries of "persistent-apps" in Dock order; empty when the key is missing or is
    /// not an array of dictionaries.
    virtual std::vector<plist::Dictionary> persistentApps() = 0;
    /// Replaces "persistent-apps" by exactly this list.
    virtual void setPersistentApps(const std::vector<plist::Dictionary>& tiles) = 0;
    /// "show-recents" when it holds a boolean; nothing otherwise.
    virtual std::optional<bool> showRecents() = 0;
    virtual void setShowRecents(bool visible) = 0;
    /// "persistent-apps" and "persistent-others" when present, unchanged, and
    /// "show-recents" always (true when missing or not a boolean); `unreadableFileKey`
    /// too when the preferences could not be read.
    virtual plist::Dictionary snapshot() = 0;
    /// Puts a snapshot back: both arrays set or removed as the snapshot has them,
    /// "show-recents" set only when the snapshot holds a boolean for it.
    virtual void restore(const plist::Dictionary& snapshot) = 0;

    /// Whether the dock has a recent-applications section that setShowRecents() controls.
    /// Docks without one read no value and ignore writes.
    virtual bool supportsRecents() const { return true; }
};

} // namespace kestrine
