#include "app/platform/linux/X11HotKey.h"

#include <QSocketNotifier>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

#include "app/platform/linux/KeyCodeMap.h"
#include "core/model/AppPaths.h"

namespace kestrine {
namespace {

// Raw bits of HotKeySpec::Modifiers.
constexpr std::uint8_t kCommand = 1, kControl = 2, kOption = 4, kShift = 8;

std::uint16_t xModifiers(std::uint8_t modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & kControl) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & kOption) mask |= XCB_MOD_MASK_1;
    if (modifiers & kShift) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & kCommand) mask |= XCB_MOD_MASK_4;
    return mask;
}

// The modifier bit that NumLock sets on this server (usually Mod2).
std::uint16_t numLockMask(xcb_connection_t* c, xcb_key_symbols_t* symbols) {
    std::uint16_t mask = 0;
    xcb_keycode_t* numLock = xcb_key_symbols_get_keycode(symbols, XK_Num_Lock);
    auto* reply = xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (reply && numLock) {
        xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
        int perModifier = reply->keycodes_per_modifier;
        for (int m = 0; m < 8 && !mask; ++m)
            for (int k = 0; k < perModifier; ++k)
                for (xcb_keycode_t* n = numLock; *n != XCB_NO_SYMBOL; ++n)
                    if (map[m * perModifier + k] == *n) mask = static_cast<std::uint16_t>(1u << m);
    }
    std::free(reply);
    std::free(numLock);
    return mask ? mask : std::uint16_t{XCB_MOD_MASK_2};
}

} // namespace

HotKey::Availability HotKey::availability(const EnvironmentLookup& environment) {
    const auto sessionType = environment("XDG_SESSION_TYPE");
    const auto waylandDisplay = environment("WAYLAND_DISPLAY");
    if (sessionType == "wayland" || (waylandDisplay && !waylandDisplay->empty()))
        return Availability::unavailableOnWayland;
    return Availability::available;
}

HotKey::Availability HotKey::availability() { return availability(AppPaths::processEnvironment()); }

std::unique_ptr<HotKey> HotKey::make(std::uint32_t keyCode, std::uint8_t modifiers, Handler handler) {
    return X11HotKey::grab(keyCode, modifiers, std::move(handler));
}

X11HotKey::X11HotKey(xcb_connection_t* connection, Handler handler)
    : connection_(connection), handler_(std::move(handler)) {}

std::unique_ptr<X11HotKey> X11HotKey::grab(std::uint32_t keyCode, std::uint8_t modifiers, Handler handler) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return nullptr;
    xcb_connection_t* c = xcb_connect(display, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return nullptr;
    }
    std::unique_ptr<X11HotKey> key(new X11HotKey(c, std::move(handler)));
    if (!key->grabAll(keyCode, modifiers)) return nullptr;
    auto* raw = key.get();
    key->notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, key.get());
    QObject::connect(key->notifier_, &QSocketNotifier::activated, key.get(), [raw] { raw->readEvents(); });
    return key;
}

bool X11HotKey::grabAll(std::uint32_t keyCode, std::uint8_t modifiers) {
    auto keysym = linux_keys::keysymForKeyCode(keyCode);
    if (!keysym) return false;
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup);
    if (!screen.rem) return false;
    root_ = screen.data->root;

    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    if (!symbols) return false;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, *keysym);
    std::uint16_t numLock = numLockMask(connection_, symbols);
    if (codes)
        for (xcb_keycode_t* k = codes; *k != XCB_NO_SYMBOL; ++k) keycodes_.push_back(*k);
    std::free(codes);
    xcb_key_symbols_free(symbols);
    if (keycodes_.empty()) return false;

    std::uint16_t base = xModifiers(modifiers);
    masks_ = {base, static_cast<std::uint16_t>(base | numLock), static_cast<std::uint16_t>(base | XCB_MOD_MASK_LOCK),
              static_cast<std::uint16_t>(base | numLock | XCB_MOD_MASK_LOCK)};

    // Checked requests: the server answers each grab with an error (BadAccess) when
    // another client holds the combination; the check waits for that answer.
    std::vector<xcb_void_cookie_t> cookies;
    for (auto code : keycodes_)
        for (auto mask : masks_)
            cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, mask, code, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
    bool refused = false;
    for (auto cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        ungrabAll(); // nothing of a partial grab stays behind
        return false;
    }
    return true;
}

void X11HotKey::ungrabAll() {
    if (!connection_) return;
    for (auto code : keycodes_)
        for (auto mask : masks_) xcb_ungrab_key(connection_, code, root_, mask);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

X11HotKey::~X11HotKey() {
    delete notifier_;
    notifier_ = nullptr;
    ungrabAll();
    xcb_disconnect(connection_);
}

void X11HotKey::readEvents() {
    if (xcb_connection_has_error(connection_)) {
        // The server went away: stop listening instead of spinning on a dead socket.
        if (notifier_) notifier_->setEnabled(false);
        return;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_KEY_RELEASE) {
            auto* release = reinterpret_cast<xcb_key_release_event_t*>(event);
            lastReleaseTime_ = release->time;
            lastReleaseKeycode_ = release->detail;
        } else if (type == XCB_KEY_PRESS) {
            auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
            // Auto-repeat sends a release and a press with the same time stamp; only a
            // real press counts.
            bool repeat = press->time == lastReleaseTime_ && press->detail == lastReleaseKeycode_;
            if (!repeat && handler_) handler_();
        }
        std::free(event);
    }
}

} // namespace kestrine
