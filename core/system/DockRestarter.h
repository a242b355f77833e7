#pragma once

namespace kestrine {

/// Makes the Dock quit so that it is started again and rereads its preferences.
class DockRestarter {
public:
    virtual ~DockRestarter() = default;
    /// Returns once the restart request has completed; throws when it could not be made.
    virtual void restart() = 0;
};

} // namespace kestrine
