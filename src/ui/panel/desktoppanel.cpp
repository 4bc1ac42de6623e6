#include "ui/panel/desktoppanel.h"

#include "ui/panel/floatingpanel.h"
#include "ui/panel/floatingpanelcontroller.h"
#include "ui/queue/panelrootview.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

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

DesktopPanel::DesktopPanel(const Stores& stores, SystemEvents& systemEvents,
    std::function<void(const Alert&)> acknowledge, std::function<void()> openUpdate,
    QObject* parent)
    : QObject(parent)
    , m_positions(stores.preferences)
{
    auto* content = new PanelRootView(stores.alerts, stores.settings, stores.directory,
        stores.updates, m_layout, std::move(acknowledge), std::move(openUpdate));
    m_content = content;
    m_window = std::make_unique<FloatingPanel>(content);
    m_controller = std::make_unique<FloatingPanelController>(
        *m_window, m_positions, stores.settings, m_layout, currentScreens);
    connect(content, &PanelRootView::settingsRequested, this, &DesktopPanel::settingsRequested);
    connect(
        m_window.get(), &FloatingPanel::settingsRequested, this, &DesktopPanel::settingsRequested);
    // exit() rather than quit(), which would ask every window to close first and stop at the
    // settings window, which only hides.
    connect(
        m_window.get(), &FloatingPanel::quitRequested, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    m_controller->follow(systemEvents);
    watchScreens();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &DesktopPanel::handleFocusWindow);

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

void DesktopPanel::handleFocusWindow(QWindow* window)
{
    if (!window || window == m_window->windowHandle())
        return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() != window)
            continue;
        m_controller->windowActivated(widget);
        widget->removeEventFilter(this);
        widget->installEventFilter(this);
        return;
    }
}

bool DesktopPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide)
        m_controller->windowClosing(qobject_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

} // namespace halyard
