#pragma once

namespace kestrine {

/// The system's record of whether the application starts at login.
class LoginItemService {
public:
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    virtual ~LoginItemService() = default;
    virtual Status status() const = 0;
    /// Both throw an exception whose what() describes the failure for the user.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

} // namespace kestrine
