#include "ui/panel/desktoppanel.h"

#include "queue/alertstore.h"
#include "ui/panel/floatingpanel.h"
#include "ui/panel/floatingpanelcontroller.h"
#include "ui/queue/panelactions.h"
#include "ui/queue/panelrootview.h"

#include <QApplication>
#include <QScreen>

namespace halyard {

namespace {

// The primary screen first: placement takes the first screen for the primary one.
QList<placement::ScreenInfo> currentScreens()
{
    QList<placement::ScreenInfo> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        placement::ScreenInfo info { screen->name(), QRectF(screen->geometry()),
            QRectF(screen->availableGeometry()) };
        if (screen == primary)
            screens.prepend(info);
        else
            screens.append(info);
    }
    return screens;
}

} // namespace

DesktopPanel::DesktopPanel(
    const Stores& stores, SystemEvents& systemEvents, PanelActions& actions, QObject* parent)
    : QObject(parent)
    , m_positions(stores.preferences)
{
    auto* content = new PanelRootView(
        stores.alerts, stores.settings, stores.directory, stores.updates, m_layout, actions);
    m_content = content;
    m_window = std::make_unique<FloatingPanel>(content);
    m_window->setActions(&actions);
    m_window->setQueueActions({ [&alerts = stores.alerts] { return alerts.alerts(); }, {} });
    m_controller = std::make_unique<FloatingPanelController>(
        *m_window, m_positions, stores.settings, m_layout, currentScreens);
    connect(content, &PanelRootView::settingsRequested, this, &DesktopPanel::settingsRequested);
    connect(
        m_window.get(), &FloatingPanel::settingsRequested, this, &DesktopPanel::settingsRequested);
    connect(
        m_window.get(), &FloatingPanel::historyRequested, this, &DesktopPanel::historyRequested);
    // exit() rather than quit(), which would ask every window to close first and stop at the
    // settings window, which only hides.
    connect(
        m_window.get(), &FloatingPanel::quitRequested, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    m_controller->follow(systemEvents);
    watchScreens();

    m_window->adjustSize();
    m_window->setController(m_controller.get());
    m_controller->start();
    m_window->showOnTop();
}

void DesktopPanel::setDemo(bool demo)
{
    m_content->setDemo(demo);
}

DesktopPanel::~DesktopPanel()
{
    m_window->setController(nullptr);
}

void DesktopPanel::watchScreens()
{
    const auto changed = [this] { m_controller->screensChanged(); };
    const auto follow = [this, changed](QScreen* screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, changed);
    };
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [follow, changed](QScreen* screen) {
        follow(screen);
        changed();
    });
    // Queued: the panel moves to a remaining screen only after the removal completes.
    connect(qApp, &QGuiApplication::screenRemoved, this, changed, Qt::QueuedConnection);
}

void DesktopPanel::setSettingsWindow(QWidget* window)
{
    m_controller->setSettingsWindow(window);
    window->installEventFilter(this);
}

// Close, not Hide: the window is also hidden when it is minimised or its workspace is left, and
// that is no reason to place it afresh when it comes back.
bool DesktopPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        m_controller->windowActivated(qobject_cast<QWidget*>(watched));
    else if (event->type() == QEvent::Close)
        m_controller->windowClosing(qobject_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

} // namespace halyard
