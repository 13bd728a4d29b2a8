#include "qt/desktop_compositing_x11.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace vq {
namespace {

struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

}  // namespace

bool DesktopComposites() {
    int screen = 0;
    const std::unique_ptr<xcb_connection_t, ConnectionCloser> connection(
        xcb_connect(nullptr, &screen));
    if (xcb_connection_has_error(connection.get())) return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection.get(), 1, static_cast<std::uint16_t>(name.size()), name.c_str());
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection.get(), atomCookie, nullptr), &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) return false;
    const xcb_get_selection_owner_cookie_t ownerCookie =
        xcb_get_selection_owner(connection.get(), atom->atom);
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection.get(), ownerCookie, nullptr), &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace vq
