#pragma once

#include "queue/alert.h"

#include <QUrl>

#include <functional>
#include <optional>

namespace halyard {

class SettingsStore;

// Opens what the panel links to: an alert in the Slack desktop application (or, when the desktop
// has no handler for slack: links, its message on the web), and the links inside message text.
// Both system operations are constructor parameters so tests can record instead of opening.
class LinkOpener {
public:
    using Open = std::function<void(const QUrl&)>;
    using HandlerProbe = std::function<bool()>;

    // QDesktopServices::openUrl.
    static void openWithDesktop(const QUrl& url);
    // An http or https address with a host: a page for the browser, nothing else.
    static bool isWebLink(const QUrl& url);
    // A mail link as it may be opened: the address with at most its subject and body. Every
    // other field (cc, attach=…) is dropped, since mail programs take some as orders to attach
    // a local file or to write to more people.
    static QUrl withoutMailExtras(const QUrl& mailto);
    // Whether xdg-mime names a default handler for x-scheme-handler/slack.
    static bool desktopHandlesSlackLinks();

    explicit LinkOpener(
        Open open = &LinkOpener::openWithDesktop, HandlerProbe probe = &desktopHandlesSlackLinks);

    // The workspace (team ID and web address) as the settings hold it. Without a team ID there
    // is no link to build, and nothing is opened. A non-empty activation token lets the opened
    // program come to the front: it is in the environment of what starts during this call, and
    // only then (XDG_ACTIVATION_TOKEN, and DESKTOP_STARTUP_ID in an X11 session).
    void openAlert(
        const SettingsStore& workspace, const Alert& alert, const QString& activationToken = {});
    // Only web and mail links (the latter withoutMailExtras): message text comes from other
    // people.
    void openMessageLink(const QUrl& url);

private:
    bool hasSlackHandler();

    Open m_open;
    HandlerProbe m_probe;
    // Asked once: the probe runs a process.
    std::optional<bool> m_hasSlackHandler;
};

} // namespace halyard
