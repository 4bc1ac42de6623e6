#pragma once

#include "bus/busnames.h"

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantList>

namespace halyard {

class AppCore;
class QueueAdaptor;

// Whether a copy hands the bus name to a real copy that asks for it: the demo does, so that
// commands and status bars reach the user's own queue once it runs.
enum class BusName { kept, handedToRealCopy };

// Takes the bus name with `object` at the program's path, exporting its scriptable slots; false
// without a session bus or when another copy holds the name. A real copy takes the name from a
// demo. Logs which it was.
bool publishOnSessionBus(QObject* object, BusName name = BusName::kept);
void unpublishFromSessionBus();

// Calls `method` of the running copy's main interface and waits a few seconds at most.
QDBusMessage callRunningCopy(const QString& method, const QVariantList& arguments);
// Whether a call failed because no copy runs (no session bus, or nobody holds the name).
bool noRunningCopy(const QDBusMessage& reply);

// Asks the copy that holds the bus name to re-read the tokens of `keychainService` and
// reconnect; true when it did, false when none runs or it keeps its tokens elsewhere.
bool tellRunningCopyToReloadTokens(const QString& keychainService);

// The activation token of this launch: XDG_ACTIVATION_TOKEN, else DESKTOP_STARTUP_ID; empty when
// the launcher gave none or it is not a token. Read once per process, the first time before the
// application object exists: Qt's X11 connection takes DESKTOP_STARTUP_ID out of the environment
// (and ends the startup sequence when the first window shows).
QString launchActivationToken();

// Asks the running desktop program over the session bus to give its panel the keyboard, on behalf
// of the launch that handed over `activationToken`. Returns the exit status: 0 done, 3 when no
// copy runs, 1 when it refused.
int focusRunningCopy(const QString& activationToken);

// Re-reads the tokens of `keychainService` when `core` keeps its tokens there; false otherwise.
bool reloadTokensOf(AppCore& core, const QString& keychainService);

// What the headless program offers on the bus: new tokens take effect without a restart, and
// the queue for scripts and status bars.
class CoreRemoteControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.corvane.Halyard")
public:
    explicit CoreRemoteControl(AppCore& core, QObject* parent = nullptr);

    // The queue interface, a child of this object; it opens nothing, having no display.
    QueueAdaptor& queue() const { return *m_queue; }

public slots:
    // False, and nothing read, when this copy keeps its tokens under another service name.
    Q_SCRIPTABLE bool ReloadTokens(const QString& keychainService);

private:
    AppCore& m_core;
    QueueAdaptor* m_queue;
};

// What a second copy of the desktop program, or "halyard tokens", may ask of the running desktop
// program: the headless program's interface, plus the settings window and the keyboard.
class DesktopRemoteControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.corvane.Halyard")
public:
    explicit DesktopRemoteControl(AppCore& core, QObject* parent = nullptr);

    QueueAdaptor& queue() const { return *m_queue; }

public slots:
    // The token of the launch that asks, so that the window may come to the front.
    Q_SCRIPTABLE void ShowSettings(const QString& activationToken)
    {
        emit showSettingsRequested(activationToken);
    }
    // Gives the panel the keyboard, for a desktop shortcut; the token is the launch's own.
    Q_SCRIPTABLE void Focus(const QString& activationToken)
    {
        emit focusRequested(activationToken);
    }
    // See CoreRemoteControl.
    Q_SCRIPTABLE bool ReloadTokens(const QString& keychainService);

signals:
    void showSettingsRequested(const QString& activationToken);
    void focusRequested(const QString& activationToken);

private:
    AppCore& m_core;
    QueueAdaptor* m_queue;
};

} // namespace halyard
