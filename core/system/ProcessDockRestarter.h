#pragma once

#include <string>

#include "core/system/DockRestarter.h"

namespace kestrine {

/// Restarts the Dock by running `killall Dock` and waiting for it to exit. The exit status
/// is ignored (no Dock process to end is not a failure); a launch failure, such as a
/// missing executable, throws std::system_error.
class ProcessDockRestarter : public DockRestarter {
public:
    explicit ProcessDockRestarter(std::string executable = "/usr/bin/killall");

    const std::string& executable() const { return executable_; }

    void restart() override;

private:
    std::string executable_;
};

} // namespace kestrine
