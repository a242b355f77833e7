#pragma once

#include <stdexcept>
#include <string>

namespace kestrine {

/// A write to the Dock's preferences was not confirmed by the preferences service.
class DockPreferencesError : public std::runtime_error {
public:
    enum class Code { synchronizeFailed };

    /// `detail`, when given, says why; it joins the message and not the comparison.
    explicit DockPreferencesError(Code code, const std::string& detail = {})
        : std::runtime_error("the Dock preferences could not be written" + (detail.empty() ? "" : ": " + detail)),
          code_(code) {}

    static DockPreferencesError synchronizeFailed(const std::string& detail = {}) {
        return DockPreferencesError(Code::synchronizeFailed, detail);
    }

    Code code() const { return code_; }

    friend bool operator==(const DockPreferencesError& a, const DockPreferencesError& b) { return a.code_ == b.code_; }

private:
    Code code_;
};

} // namespace kestrine
