#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/HotKey.h"

class QSocketNotifier;
struct xcb_connection_t;

namespace kestrine {

/// A key grab on the X root window, on a connection of its own so that it works
/// whatever Qt platform plugin draws the windows. The combination is grabbed four
/// times, with and without NumLock and CapsLock, so lock keys do not get in the way.
class X11HotKey final : public QObject, public HotKey {
    Q_OBJECT
public:
    /// Nothing when there is no X display, the key has no X keysym or keycode, or the
    /// server refuses any of the grabs (another client holds the combination).
    static std::unique_ptr<X11HotKey> grab(std::uint32_t keyCode, std::uint8_t modifiers, Handler handler);
    ~X11HotKey() override;

private:
    X11HotKey(xcb_connection_t* connection, Handler handler);
    bool grabAll(std::uint32_t keyCode, std::uint8_t modifiers);
    void ungrabAll();
    void readEvents();

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::vector<std::uint8_t> keycodes_;
    std::vector<std::uint16_t> masks_;
    std::uint32_t lastReleaseTime_ = 0;
    std::uint8_t lastReleaseKeycode_ = 0;
    Handler handler_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kestrine
