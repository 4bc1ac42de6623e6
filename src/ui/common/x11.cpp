#include "ui/common/x11.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace halyard::x11 {

xcb_connection_t* connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie
        = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
    std::free(reply); // NOLINT: xcb hands out malloc'd replies
    return result;
}

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : xcb_window_t { XCB_WINDOW_NONE };
}

uint32_t serverTime()
{
    // Changing a property is answered with a PropertyNotify carrying the server's time. On a
    // connection of our own: Qt's reader thread would take the event from its connection.
    xcb_connection_t* own = xcb_connect(nullptr, nullptr);
    uint32_t time = 0;
    if (xcb_connection_has_error(own) == 0) {
        const xcb_window_t window = xcb_generate_id(own);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(own, XCB_COPY_FROM_PARENT, window, rootWindow(own), -1, -1, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        // A zero-length append changes nothing but still reports the change.
        xcb_change_property(
            own, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(own);
        // Ends with the connection at the latest: a lost server makes this return null.
        while (xcb_generic_event_t* event = xcb_wait_for_event(own)) {
            const bool notify = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
            if (notify)
                time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
            std::free(event); // NOLINT
            if (notify)
                break;
        }
    }
    xcb_disconnect(own);
    return time;
}

namespace {

std::optional<QByteArray> windowProperty(
    xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    if (property == XCB_ATOM_NONE || type == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr);
    std::optional<QByteArray> value;
    if (reply && reply->type == type) {
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
            xcb_get_property_value_length(reply));
    }
    std::free(reply); // NOLINT
    return value;
}

} // namespace

QString windowManagerName(xcb_connection_t* connection)
{
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const auto child = windowProperty(connection, rootWindow(connection), check, XCB_ATOM_WINDOW);
    if (!child || child->size() < qsizetype(sizeof(xcb_window_t)))
        return {};
    xcb_window_t window = XCB_WINDOW_NONE;
    std::memcpy(&window, child->constData(), sizeof window);
    const auto name = windowProperty(
        connection, window, atom(connection, "_NET_WM_NAME"), atom(connection, "UTF8_STRING"));
    return name ? QString::fromUtf8(*name) : QString();
}

} // namespace halyard::x11
