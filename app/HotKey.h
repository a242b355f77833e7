#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/model/AppPaths.h"

namespace kestrine {

/// One live system-wide shortcut registration. Destroying it ends the registration.
class HotKey {
public:
    using Handler = std::function<void()>;
    using EnvironmentLookup = AppPaths::EnvironmentLookup;

    /// Whether the platform's hot-key service can deliver a system-wide shortcut in this
    /// session at all.
    enum class Availability {
        available,
        // A Wayland session: an X11 grab (through XWayland) would be accepted but only fire
        // while an X11 window has the keyboard, so none is made.
        unavailableOnWayland,
    };
    /// The availability for the session the environment describes, and for this process's.
    static Availability availability(const EnvironmentLookup& environment);
    static Availability availability();

    virtual ~HotKey() = default;

    /// Registers `keyCode` (a virtual key code of the shortcut key table) with `modifiers`
    /// (the raw bits of HotKeySpec::Modifiers) on the platform's hot-key service. Returns
    /// nothing when the service refuses the combination or is unavailable. `handler` runs
    /// on the main thread for each press.
    static std::unique_ptr<HotKey> make(std::uint32_t keyCode, std::uint8_t modifiers, Handler handler);
};

} // namespace kestrine
