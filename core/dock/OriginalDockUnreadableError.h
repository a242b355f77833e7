#pragma once

#include <stdexcept>
#include <string>

namespace kestrine {

/// The original backup was taken while the Dock's preferences could not be read, so it
/// holds no Dock to put back. `keptFile` names where the unreadable preferences were kept
/// (or the preferences file itself when no copy could be made); the user can recover the
/// Dock from there.
class OriginalDockUnreadableError : public std::runtime_error {
public:
    explicit OriginalDockUnreadableError(std::string keptFile)
        : std::runtime_error("the original Dock cannot be restored: its preferences could not be read when it was "
                             "first backed up; they were kept as " +
                             (keptFile.empty() ? std::string("(unknown)") : keptFile)),
          keptFile_(std::move(keptFile)) {}

    const std::string& keptFile() const { return keptFile_; }

private:
    std::string keptFile_;
};

} // namespace kestrine
