#include "ui/panel/floatingpanel.h"

#include "queue/snoozetimer.h"
#include "ui/common/activation.h"
#include "ui/common/panelstyle.h"
#include "ui/common/x11.h"
#include "ui/panel/panelwindowtype.h"
#include "ui/queue/alertrow.h"
#include "ui/queue/panelactions.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSet>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr double kCornerRadius = 8.0;

// A compositing manager owns this selection; without one, transparent pixels would show black.
bool compositorRuns(xcb_connection_t* connection)
{
    const xcb_atom_t selection = x11::atom(connection, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    free(reply); // NOLINT
    return owned;
}

} // namespace

FloatingPanel::FloatingPanel(QWidget* content, std::optional<bool> rounded, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_content(content)
{
    setWindowTitle(u"Halyard"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (rounded)
        m_composited = *rounded;
    else if (xcb_connection_t* connection = x11::connection())
        m_composited = compositorRuns(connection);
    // Only before the native window exists does this give it an alpha channel.
    setAttribute(Qt::WA_TranslucentBackground, m_composited);
    auto* layout = new QVBoxLayout(this);
    // The border is painted in the margins.
    const int border = panelstyle::kPanelBorder;
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);
    layout->addWidget(content);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    content->setFixedWidth(panelstyle::kContentWidth);
}

void FloatingPanel::showOnTop()
{
    winId();
    applyX11WindowState();
    windowHandle()->installEventFilter(this);
    show();
    raise();
}

// A dock window, not the utility window of Qt::Tool (which Qt also makes transient for the whole
// program): Plasma hides the utility windows of an inactive program that has other windows, so
// the panel vanished while Settings or the update dialog was open and another program was
// active. Mutter, KWin and the other EWMH window managers keep a dock above normal windows, on
// every workspace, out of the taskbar, pager and window switcher, never focus it on their own and
// leave it in place on "show desktop". Window managers do not move docks, so the panel follows
// the pointer itself. Where docks are laid out as bars, panelWindowType() chooses otherwise.
//
// Set on the unmapped window, where the window manager reads them when it maps it; Qt writes the
// type only when the window is created or its flags change, and merges its own states into the
// list instead of replacing it.
void FloatingPanel::applyX11WindowState()
{
    xcb_connection_t* connection = x11::connection();
    if (!connection)
        return;
    const auto window = static_cast<xcb_window_t>(winId());
    const PanelWindowType role = panelWindowType(x11::windowManagerName(connection));
    const xcb_atom_t type = x11::atom(connection, role.type.constData());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
        x11::atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
    QList<xcb_atom_t> states;
    for (const QByteArray& state : role.states)
        states.append(x11::atom(connection, state.constData()));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
        x11::atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
        static_cast<uint32_t>(states.size()), states.constData());
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
        x11::atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_flush(connection);
}

QRectF FloatingPanel::frame() const
{
    return QRectF(geometry());
}

QSizeF FloatingPanel::preferredSize() const
{
    return QSizeF(sizeHint());
}

void FloatingPanel::setFrame(const QRectF& frame)
{
    setGeometry(frame.toRect());
}

std::optional<QString> FloatingPanel::screenName() const
{
    if (const QScreen* s = screen())
        return s->name();
    return std::nullopt;
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the panel makes it the active window and still reaches what was clicked: no
    // window manager gives a dock the focus on its own. Asked for on every click: Qt reports the
    // window active until 100 ms after it lost the focus, and a click within them would leave
    // the keyboard elsewhere; the window manager ignores the request for its active window.
    if (watched == windowHandle() && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The click's own time: the user's action, which the window manager honours.
        activateWithToken(
            this, QString(), static_cast<uint32_t>(static_cast<QMouseEvent*>(event)->timestamp()));
    }
    return QWidget::eventFilter(watched, event);
}

bool FloatingPanel::event(QEvent* event)
{
    // The content's size hint changed: follow it without moving the top-left corner.
    if (event->type() == QEvent::LayoutRequest && m_controller) {
        const bool handled = QWidget::event(event);
        m_controller->fitToContent();
        return handled;
    }
    return QWidget::event(event);
}

void FloatingPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor border = palette().color(QPalette::Mid);
    QColor fill = palette().color(QPalette::Window);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(border, 1.0));
    if (m_composited) {
        fill.setAlphaF(0.94);
        painter.setBrush(fill);
        painter.drawRoundedRect(area, kCornerRadius, kCornerRadius);
    } else {
        painter.setBrush(fill);
        painter.drawRect(area);
    }
}

void FloatingPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    // Followed here rather than handed to the window manager (startSystemMove): the press grabs
    // the pointer for this window until the button is released, so the release that ends the
    // drag always arrives, wherever the pointer is. A move the window manager runs ends with a
    // release that goes to the window manager alone.
    m_dragOffset = event->globalPosition().toPoint() - pos();
    if (m_controller)
        m_controller->beginDrag();
    event->accept();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragOffset)
        move(event->globalPosition().toPoint() - *m_dragOffset);
    event->accept();
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragOffset) {
        const QPoint topLeft
            = event->globalPosition().toPoint() - *std::exchange(m_dragOffset, std::nullopt);
        if (m_controller)
            m_controller->endDrag(topLeft);
    }
    event->accept();
}

void FloatingPanel::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_controller)
        m_controller->panelMoved();
}

void FloatingPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_controller)
        m_controller->panelResized();
}

void FloatingPanel::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    fillContextMenu(menu, event->pos());
    menu.exec(event->globalPos());
}

void FloatingPanel::setQueueActions(QueueActions actions)
{
    m_queue = std::move(actions);
}

void FloatingPanel::setActions(PanelActions* actions)
{
    if (m_actions)
        disconnect(m_actions, nullptr, this, nullptr);
    m_actions = actions;
    if (actions)
        connect(
            actions, &PanelActions::snoozeChoicesRequested, this, &FloatingPanel::showSnoozeMenu);
}

void FloatingPanel::fillContextMenu(QMenu& menu, const QPoint& pos)
{
    if (m_queue.alerts && m_actions) {
        // The alerts as the menu shows them: what arrives while it is open is not taken along.
        const QList<Alert> alerts = m_queue.alerts();
        QAction* all = menu.addAction(tr("Acknowledge All (%1)").arg(alerts.size()), this,
            [this, alerts] { acknowledgeAll(alerts, QString()); });
        all->setEnabled(!alerts.isEmpty());
        QWidget* clicked = childAt(pos);
        while (clicked && !qobject_cast<AlertRow*>(clicked))
            clicked = clicked->parentWidget();
        if (const auto* row = qobject_cast<AlertRow*>(clicked)) {
            QList<Alert> inChannel = alerts;
            inChannel.removeIf(
                [&](const Alert& alert) { return alert.channelId != row->alert().channelId; });
            const QString channel = row->channelLabel();
            menu.addAction(tr("Acknowledge All in %1").arg(channel), this,
                [this, inChannel, channel] { acknowledgeAll(inChannel, channel); });
            menu.addSeparator();
            fillSnoozeMenu(menu, row->alert());
        }
        menu.addSeparator();
    }
    menu.addAction(tr("History…"), this, &FloatingPanel::historyRequested);
    menu.addAction(tr("Settings…"), this, &FloatingPanel::settingsRequested);
    menu.addSeparator();
    menu.addAction(tr("Quit Halyard"), this, &FloatingPanel::quitRequested);
}

void FloatingPanel::fillSnoozeMenu(QMenu& menu, const Alert& alert)
{
    const QDateTime now = QDateTime::currentDateTime();
    const auto snooze = [this, alert](QDateTime until) {
        return [this, alert, until] {
            if (m_actions)
                m_actions->snooze(alert, double(until.toSecsSinceEpoch()));
        };
    };
    QMenu* snoozeMenu = menu.addMenu(tr("Snooze"));
    snoozeMenu->setObjectName(u"snoozeMenu"_s);
    snoozeMenu->addAction(tr("For 15 Minutes"), this, snooze(now.addSecs(15 * 60)));
    snoozeMenu->addAction(tr("For 1 Hour"), this, snooze(now.addSecs(60 * 60)));
    const QDateTime morning = nextWorkingMorning(now);
    snoozeMenu->addAction(
        tr("Until %1").arg(QLocale().toString(morning, u"dddd HH:mm"_s)), this, snooze(morning));
    menu.addAction(tr("Mute Alerts Like This for 1 Hour"), this, [this, alert, now] {
        if (m_actions)
            m_actions->mute(alert, double(now.addSecs(60 * 60).toSecsSinceEpoch()));
    });
}

void FloatingPanel::showSnoozeMenu(const Alert& alert, const QPoint& globalPos)
{
    // Not exec(): the panel's own loop keeps running while the menu is open.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillSnoozeMenu(*menu, alert);
    menu->popup(globalPos);
}

void FloatingPanel::acknowledgeAll(const QList<Alert>& alerts, const QString& channel)
{
    if (alerts.size() > kConfirmAbove
        && !(m_queue.confirm ? m_queue.confirm(alerts.size(), channel)
                             : askToAcknowledge(alerts.size(), channel)))
        return;
    // One taken out meanwhile (by a teammate, say) is not acknowledged a second time.
    QSet<QString> queued;
    for (const Alert& alert : m_queue.alerts())
        queued.insert(alert.id);
    for (const Alert& alert : alerts) {
        if (queued.contains(alert.id) && m_actions)
            m_actions->acknowledge(alert, AckCause::acknowledgeAll);
    }
}

bool FloatingPanel::askToAcknowledge(qsizetype count, const QString& channel)
{
    const auto n = int(std::min<qsizetype>(count, std::numeric_limits<int>::max()));
    const QString question = channel.isEmpty()
        ? tr("Acknowledge all %n alerts?", "", n)
        : tr("Acknowledge all %n alerts in %1?", "", n).arg(channel);
    return QMessageBox::question(this, tr("Acknowledge All"), question,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace halyard
