#pragma once

#include "ui/panel/floatingpanelcontroller.h"

#include <QWidget>

namespace halyard {

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

    QRectF frame() const override;
    QSizeF preferredSize() const override;
    void setFrame(const QRectF& frame) override;
    std::optional<QString> screenName() const override;

signals:
    void settingsRequested();
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

    QWidget* m_content;
    FloatingPanelController* m_controller = nullptr;
    bool m_composited = false;
    // Where the pointer holds the panel while it is dragged.
    std::optional<QPoint> m_dragOffset;
};

} // namespace halyard
