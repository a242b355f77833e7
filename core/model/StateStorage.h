#pragma once

#include "core/model/AppState.h"

namespace kestrine {

/// Where the controller keeps its `AppState`. Both operations report every failure by
/// throwing; a storage never repairs or half-loads a state.
class StateStorage {
public:
    virtual ~StateStorage() = default;

    /// The stored state, or the empty state when nothing has been stored yet.
    virtual AppState load() = 0;
    /// Replaces the stored state.
    virtual void save(const AppState& state) = 0;
};

} // namespace kestrine
