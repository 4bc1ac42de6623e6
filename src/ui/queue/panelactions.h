#pragma once

#include "queue/alert.h"
#include "queue/alertstore.h"

#include <QObject>
#include <QPoint>
#include <QUrl>

namespace halyard {

// What the panel's rows, keys and menus ask of the program. The program makes one, connects each
// request to what carries it out, and hands it to the panel once; a view calls it directly, so no
// view relays a request for another.
class PanelActions : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void acknowledge(const Alert& alert, AckCause cause)
    {
        emit acknowledgeRequested(alert, cause);
    }
    // The message in Slack, as a click on its row opens it.
    void open(const Alert& alert) { emit openRequested(alert); }
    // A link in an alert's text.
    void openLink(const QUrl& url) { emit linkRequested(url); }
    // The row's snooze and mute choices, at this place on the screen.
    void chooseSnooze(const Alert& alert, const QPoint& globalPos)
    {
        emit snoozeChoicesRequested(alert, globalPos);
    }
    // Until a wall-clock time, in Unix seconds.
    void snooze(const Alert& alert, double until) { emit snoozeRequested(alert, until); }
    void mute(const Alert& alert, double until) { emit muteRequested(alert, until); }
    // The update row's click.
    void openUpdate() { emit openUpdateRequested(); }

signals:
    void acknowledgeRequested(const halyard::Alert& alert, halyard::AckCause cause);
    void openRequested(const halyard::Alert& alert);
    void linkRequested(const QUrl& url);
    void snoozeChoicesRequested(const halyard::Alert& alert, const QPoint& globalPos);
    void snoozeRequested(const halyard::Alert& alert, double until);
    void muteRequested(const halyard::Alert& alert, double until);
    void openUpdateRequested();
};

} // namespace halyard
