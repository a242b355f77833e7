#pragma once

#include <stdexcept>

namespace kestrine {

/// A write to the Dock's preferences was not confirmed by the preferences service.
class DockPreferencesError : public std::runtime_error {
public:
    enum class Code { synchronizeFailed };

    explicit DockPreferencesError(Code code)
        : std::runtime_error("the Dock preferences could not be written"), code_(code) {}

    static DockPreferencesError synchronizeFailed() { return DockPreferencesError(Code::synchronizeFailed); }

    Code code() const { return code_; }

    friend bool operator==(const DockPreferencesError& a, const DockPreferencesError& b) { return a.code_ == b.code_; }

private:
    Code code_;
};

} // namespace kestrine
