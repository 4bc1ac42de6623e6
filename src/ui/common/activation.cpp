#include "ui/common/activation.h"

#include "ui/common/x11.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QWidget>
#include <QWindow>

#include <cstring>
using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace activation {

uint32_t startupTime(const QString& id)
{
    static const QRegularExpression time(u"_TIME(\\d+)$"_s);
    const QRegularExpressionMatch match = time.match(id);
    return match.hasMatch() ? match.captured(1).toUInt() : 0;
}

xcb_client_message_event_t activeWindowRequest(
    xcb_window_t window, xcb_atom_t activeWindowAtom, uint32_t timestamp)
{
    // Source 2, a pager: window managers take it as the user's own wish. Source 1 (an
    // application) with Qt's stale time gets "demands attention" from KWin and nothing from
    // Mutter.
    constexpr uint32_t kSourcePager = 2;
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = activeWindowAtom;
    event.data.data32[0] = kSourcePager;
    event.data.data32[1] = timestamp;
    event.data.data32[2] = XCB_WINDOW_NONE; // the currently active window, unknown to a pager
    return event;
}

} // namespace activation

namespace {

// Ends the launch's startup sequence: a "remove" message to the root window, sent in the 20-byte
// pieces the startup-notification protocol uses.
void endStartupSequence(xcb_connection_t* connection, xcb_window_t window, const QString& id)
{
    QString quoted = id;
    quoted.replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
    const QByteArray message = "remove: ID=\"" + quoted.toUtf8() + "\"";
    const xcb_atom_t begin = x11::atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = x11::atom(connection, "_NET_STARTUP_INFO");
    // The terminating NUL belongs to the message.
    const qsizetype length = message.size() + 1;
    for (qsizetype offset = 0; offset < length; offset += 20) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = window;
        event.type = offset == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + offset,
            static_cast<size_t>(std::min<qsizetype>(20, length - offset)));
        xcb_send_event(connection, 0, x11::rootWindow(connection), XCB_EVENT_MASK_PROPERTY_CHANGE,
            reinterpret_cast<const char*>(&event));
    }
}

void activateOnX11(
    xcb_connection_t* connection, xcb_window_t window, const QString& token, uint32_t userTime)
{
    if (!token.isEmpty()) {
        const QByteArray id = token.toUtf8();
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
            x11::atom(connection, "_NET_STARTUP_ID"), x11::atom(connection, "UTF8_STRING"), 8,
            static_cast<uint32_t>(id.size()), id.constData());
    }
    uint32_t time = userTime ? userTime : activation::startupTime(token);
    if (!time)
        time = x11::serverTime();
    const xcb_client_message_event_t event = activation::activeWindowRequest(
        window, x11::atom(connection, "_NET_ACTIVE_WINDOW"), time);
    xcb_send_event(connection, 0, x11::rootWindow(connection),
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&event));
    if (!token.isEmpty())
        endStartupSequence(connection, window, token);
    xcb_flush(connection);
}

} // namespace

void activateWithToken(QWidget* window, const QString& token, uint32_t userTime)
{
    if (!window)
        return;
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    xcb_connection_t* connection = x11::connection();
    if (connection) {
        activateOnX11(connection, static_cast<xcb_window_t>(window->winId()), token, userTime);
        return;
    }
    // Qt's Wayland client hands this variable to the compositor with the next activation.
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    window->activateWindow();
}

} // namespace halyard
