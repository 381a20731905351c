#include "platform/held_keys.h"

#include "platform/window_frame.h"

#include <xcb/xcb.h>
// The XKB header names a structure member "explicit", which C++ reserves.
#define explicit explicit_member
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace volmarin {

bool askForOneReleasePerHeldKey() {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return false;
    }
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (xkb == nullptr || !xkb->present) {
        return false;
    }
    // The server takes XKB requests from a client only after it has asked for the extension;
    // Qt does so for its own needs, but asking again costs nothing and does not depend on it.
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr);
    const bool usable = use != nullptr && use->supported;
    std::free(use);
    if (!usable) {
        return false;
    }
    constexpr uint32_t detectable = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t* flags =
        xcb_xkb_per_client_flags_reply(connection,
                                       xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD,
                                                                detectable, detectable, 0, 0, 0),
                                       nullptr);
    const bool granted = flags != nullptr && (flags->value & detectable) != 0;
    std::free(flags);
    return granted;
}

} // namespace volmarin
