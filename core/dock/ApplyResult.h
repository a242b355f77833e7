#pragma once

namespace kestrine {

/// What an operation that may write the Dock did.
struct ApplyResult {
    bool changed = false;   // the Dock's preferences were rewritten
    bool restarted = false; // the Dock was restarted afterwards

    friend bool operator==(const ApplyResult&, const ApplyResult&) = default;
};

} // namespace kestrine
