#pragma once

#include "core/hotkey/HotKeySpec.h"

namespace kestrine {

/// Keeps the global shortcut between runs.
class HotKeyStorage {
public:
    virtual ~HotKeyStorage() = default;

    /// The stored shortcut, or HotKeySpec::defaultSpec() when none is stored or it cannot be
    /// used. Never throws.
    virtual HotKeySpec load() = 0;

    /// Stores `spec` as given (it is not validated). Throws on failure.
    virtual void save(const HotKeySpec& spec) = 0;
};

} // namespace kestrine
