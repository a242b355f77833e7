#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace kestrine {

/// One live system-wide shortcut registration. Destroying it ends the registration.
class HotKey {
public:
    using Handler = std::function<void()>;

    virtual ~HotKey() = default;

    /// Registers `keyCode` (a virtual key code of the shortcut key table) with `modifiers`
    /// (the raw bits of HotKeySpec::Modifiers) on the platform's hot-key service. Returns
    /// nothing when the service refuses the combination or is unavailable. `handler` runs
    /// on the main thread for each press.
    static std::unique_ptr<HotKey> make(std::uint32_t keyCode, std::uint8_t modifiers, Handler handler);
};

} // namespace kestrine
