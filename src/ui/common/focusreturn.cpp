#include "ui/common/focusreturn.h"

#include "ui/common/x11.h"

#include <QGuiApplication>

#include <cstring>
#include <xcb/xcb.h>

namespace halyard {

FocusReturn::FocusReturn(QWidget* window)
    : m_window(window)
{
    m_connection = x11::connection();
    if (!m_connection)
        return;
    m_root = x11::rootWindow(m_connection);
    if (m_root == XCB_WINDOW_NONE)
        return;
    m_activeAtom = x11::atom(m_connection, "_NET_ACTIVE_WINDOW");
    // Property changes of the root window, added to what Qt already listens for there.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, m_root), nullptr);
    const uint32_t mask
        = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    free(attributes); // NOLINT
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    readActiveWindow();
    qGuiApp->installNativeEventFilter(this);
}

FocusReturn::~FocusReturn()
{
    if (m_connection && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

void FocusReturn::readActiveWindow()
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, m_root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
        uint32_t active = 0;
        std::memcpy(&active, xcb_get_property_value(reply), sizeof active);
        const bool ours = m_window && m_window->internalWinId()
            && active == static_cast<uint32_t>(m_window->internalWinId());
        if (active != XCB_WINDOW_NONE && !ours)
            m_previous = active;
    }
    free(reply); // NOLINT
}

bool FocusReturn::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
    if (notify->window == m_root && notify->atom == m_activeAtom)
        readActiveWindow();
    return false;
}

void FocusReturn::handBack()
{
    if (!m_window)
        return;
    const bool active = m_window->isActiveWindow();
    if (QWidget* focused = m_window->focusWidget())
        focused->clearFocus();
    if (!m_connection || m_previous == 0 || !active)
        return;
    // As a pager asks it: the user chose the switch, so focus-stealing prevention lets it pass.
    xcb_client_message_event_t request {};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = m_previous;
    request.type = m_activeAtom;
    request.data.data32[0] = 2;
    request.data.data32[1] = XCB_CURRENT_TIME;
    request.data.data32[2] = static_cast<uint32_t>(m_window->winId());
    xcb_send_event(m_connection, 0, m_root,
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&request));
    xcb_flush(m_connection);
}

} // namespace halyard
