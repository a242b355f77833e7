#pragma once

#include <stdexcept>
#include <string>

namespace kestrine {

/// A write to the dock's preferences did not happen or was not confirmed.
///   synchronizeFailed: the preferences service did not confirm that the write was stored.
///   unavailable: the dock's settings cannot be reached at all (schema not installed, dock
///     not installed, no settings backend); `detail()` says what is missing.
///   writeRefused: the settings refused the write (a key locked by the administrator, a
///     read-only backend); `detail()` names the key.
/// Nothing is written when unavailable or writeRefused is thrown.
class DockPreferencesError : public std::runtime_error {
public:
    enum class Code { synchronizeFailed, unavailable, writeRefused };

    explicit DockPreferencesError(Code code, std::string detail = {})
        : std::runtime_error(message(code, detail)), code_(code), detail_(std::move(detail)) {}

    static DockPreferencesError synchronizeFailed(std::string detail = {}) {
        return DockPreferencesError(Code::synchronizeFailed, std::move(detail));
    }
    static DockPreferencesError unavailable(std::string detail) {
        return DockPreferencesError(Code::unavailable, std::move(detail));
    }
    static DockPreferencesError writeRefused(std::string detail) {
        return DockPreferencesError(Code::writeRefused, std::move(detail));
    }

    Code code() const { return code_; }
    /// A human-readable account of what is missing, refused or failed; may be empty.
    const std::string& detail() const { return detail_; }

    /// Errors compare by kind; the detail only explains.
    friend bool operator==(const DockPreferencesError& a, const DockPreferencesError& b) { return a.code_ == b.code_; }

private:
    static std::string message(Code code, const std::string& detail) {
        std::string text;
        switch (code) {
        case Code::synchronizeFailed: text = "the Dock preferences could not be written"; break;
        case Code::unavailable: text = "the dock's settings are unavailable"; break;
        case Code::writeRefused: text = "the dock's settings refused the change"; break;
        }
        if (!detail.empty()) text += ": " + detail;
        return text;
    }

    Code code_;
    std::string detail_;
};

} // namespace kestrine
