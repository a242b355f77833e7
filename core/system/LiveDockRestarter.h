#pragma once

#include "core/system/DockRestarter.h"

namespace kestrine {

/// For docks that follow their settings while they run (GNOME Shell): there is
/// nothing to restart, so restart() does nothing.
class LiveDockRestarter final : public DockRestarter {
public:
    void restart() override {}
};

} // namespace kestrine
