#include "app/platform/linux/X11Desktop.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace kestrine::X11Desktop {

namespace {

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The screen number of $DISPLAY (":0.1" → 1), which is the screen Qt connects to.
int screenNumber() {
    const char* display = std::getenv("DISPLAY");
    if (!display) return 0;
    const char* colon = std::strrchr(display, ':');
    if (!colon) return 0;
    const char* dot = std::strchr(colon, '.');
    return dot ? std::atoi(dot + 1) : 0;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int n = screenNumber(); n > 0 && it.rem > 1; --n) xcb_screen_next(&it);
    return it.data ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

xcb_atom_t atom(xcb_connection_t* c, const std::string& name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.c_str()), nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

// A window manager announces itself through _NET_SUPPORTING_WM_CHECK on the root window.
bool hasWindowManager(xcb_connection_t* c, xcb_window_t root) {
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE) return false;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    if (!reply) return false;
    const bool present = xcb_get_property_value_length(reply) >= 4;
    std::free(reply);
    return present;
}

}  // namespace

bool hasCompositingManager() {
    xcb_connection_t* c = qtConnection();
    if (!c) return true;
    const xcb_atom_t selection = atom(c, "_NET_WM_CM_S" + std::to_string(screenNumber()));
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    if (!reply) return false;
    const bool owned = reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return owned;
}

void takeFocus(QWidget* window) {
    xcb_connection_t* c = qtConnection();
    if (!c || !window || !window->isVisible()) return;
    const auto id = xcb_window_t(window->winId());
    const xcb_window_t root = rootWindow(c);
    if (root == XCB_WINDOW_NONE) return;

    if (hasWindowManager(c, root)) {
        // Source 2 says the request comes on the user's behalf (here: the global shortcut), which
        // window managers honour even while another application holds the focus.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = atom(c, "_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = XCB_WINDOW_NONE;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
        return;
    }
    // No manager: the window is viewable as soon as it is mapped, and the focus is ours to set.
    // The current time makes the server accept it whatever focus change came before.
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME));
    std::free(error);
}

}  // namespace kestrine::X11Desktop
