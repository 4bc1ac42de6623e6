#pragma once

#include "queue/alert.h"
#include "ui/panel/floatingpanelcontroller.h"

#include <QList>
#include <QWidget>

#include <functional>

class QMenu;

namespace halyard {

class PanelActions;

// The panel window: a frameless dock above normal windows, on every workspace, out of the taskbar
// and the window switcher, shown without taking focus, active once clicked, and moved by dragging
// its background. Rounded and translucent where a compositor runs, square and opaque where none
// does. Its height follows its content; its width is the panel's (panelstyle::kPanelWidth).
class FloatingPanel : public QWidget, public PanelWindow {
    Q_OBJECT
public:
    // `rounded` chooses the translucent rounded frame; by default it is used when a compositor
    // runs.
    explicit FloatingPanel(
        QWidget* content, std::optional<bool> rounded = std::nullopt, QWidget* parent = nullptr);

    // Move, resize and screen events go to the controller from here on.
    void setController(FloatingPanelController* controller) { m_controller = controller; }
    // Shows the panel on top without activating it.
    void showOnTop();

    // What the menus' entries ask for (Acknowledge All, Snooze, Mute) goes to `actions`, which
    // must outlive the panel; the keyboard's snooze choices come from it. Without actions the
    // menus offer only the window's own entries.
    void setActions(PanelActions* actions);
    // What the context menu's "Acknowledge All" entries act on. Each acknowledges one alert at
    // a time, as its Ack button would; more than kConfirmAbove at once are acknowledged only
    // once `confirm` (by default a question to the user) agrees.
    struct QueueActions {
        std::function<QList<Alert>()> alerts;
        // The number of alerts, and the channel as the row shows it or empty for all.
        std::function<bool(qsizetype count, const QString& channel)> confirm;
    };
    static constexpr qsizetype kConfirmAbove = 5;
    void setQueueActions(QueueActions actions);
    // The row's snooze and mute entries.
    void fillSnoozeMenu(QMenu& menu, const Alert& alert);
    // The same entries on their own, at a place on the screen (the keyboard's S).
    void showSnoozeMenu(const Alert& alert, const QPoint& globalPos);
    // The context menu for a click at `pos`; over an alert it also offers its channel's alerts.
    void fillContextMenu(QMenu& menu, const QPoint& pos);

    QRectF frame() const override;
    QSizeF preferredSize() const override;
    void setFrame(const QRectF& frame) override;
    std::optional<QString> screenName() const override;

signals:
    void settingsRequested();
    void historyRequested();
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void applyX11WindowState();
    // Acknowledges those of `alerts` still queued, after asking when there are many.
    void acknowledgeAll(const QList<Alert>& alerts, const QString& channel);
    bool askToAcknowledge(qsizetype count, const QString& channel);

    QWidget* m_content;
    FloatingPanelController* m_controller = nullptr;
    bool m_composited = false;
    QueueActions m_queue;
    PanelActions* m_actions = nullptr;
    // Where the pointer holds the panel while it is dragged.
    std::optional<QPoint> m_dragOffset;
};

} // namespace halyard
