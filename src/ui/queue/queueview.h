#pragma once

#include "queue/alert.h"
#include "ui/queue/queuelayout.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QSet>

#include <optional>

namespace halyard {

class AlertQueueModel;
class AlertRow;
class PanelActions;
class UpdateReminderStore;
class UpdateRow;

// The queued alerts in the model's order, oldest first, each row followed by a divider, in a
// vertical scroll area, and after them the update reminder while one is offered.
//
// With the keyboard, one row is current: Up and Down (Home, End) move it and scroll it into view,
// Return opens it and A or Delete acknowledges it, as its click area and Ack button do, and S
// offers its snooze choices. Every request goes to the panel's actions. The
// current row is held by alert id, so it survives rows coming and going and their widgets being
// reused.
//
// Only the rows in view (and a little around it) are widgets; the rest are heights, measured
// once per alert and width when first needed and estimated as one line until then, so a queue
// of thousands costs what a screenful does. A row keeps its widget while it stays in view, so
// hover state survives other alerts coming and going. Model changes are applied incrementally
// and laid out once per turn of the event loop.
class QueueView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The model, the reminder store and the actions must outlive the view. The update row's Ack
    // dismisses through `updates`.
    QueueView(const AlertQueueModel& model, UpdateReminderStore& updates, PanelActions& actions,
        QWidget* parent = nullptr);
    ~QueueView() override;

    // The height of the rows at this width (the view's own, once it has one), exact up to `cap`
    // and estimated past it.
    int contentHeight(int width, int cap = QWIDGETSIZE_MAX);
    // The widgets of the rows in view, in order.
    QList<AlertRow*> rows();
    // Hidden while no update is offered.
    UpdateRow* updateRow() const { return m_updateRow; }
    // Gives the view the keyboard, its current row framed; it arrives when the window is next
    // activated, at once if it is active.
    void takeKeyboardFocus();

signals:
    // Rows were added or removed, a row's height may have changed, or the update row came or
    // went.
    void contentChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void syncUpdate(const std::optional<QString>& version);
    void scheduleLayout();
    void layOutRows();
    AlertRow* takeRow(int modelRow);
    int rowWidth() const;
    // The measured height of the model's row at this width, measuring it when needed.
    int measure(int row, int width, AlertRow* widget = nullptr);
    // `shown`: only a height measured on a row in view, which the layout of a hidden row can
    // miss by a pixel.
    std::optional<int> knownHeight(const QString& id, int width, bool shown = false) const;
    int estimatedHeight(int width);
    int updateRowHeight(int width) const;
    // The model's row of the current alert, or -1.
    int currentRow() const;
    void setCurrentRow(int row);
    // Frames the current row's widget while the view has focus, and tells assistive technology.
    void showCurrent();
    void scrollToCurrent();

    struct Measured {
        int width;
        int height;
        bool shown = false;
    };

    const AlertQueueModel& m_model;
    PanelActions& m_actions;
    UpdateRow* m_updateRow;
    // Measures rows that have no widget; never shown.
    AlertRow* m_measure;
    QHash<QString, QList<Measured>> m_heights;
    std::optional<Measured> m_estimate;
    // The rows in view by alert id, and widgets kept for reuse.
    QHash<QString, AlertRow*> m_shown;
    QList<AlertRow*> m_spare;
    // The model's rows of the widgets in view, in order; valid while no layout is due.
    QList<std::pair<int, AlertRow*>> m_shownRows;
    // The rows' places from the last layout; valid while no layout is due.
    QueueLayout m_layout;
    // Divider lines in viewport coordinates, from the last layout.
    QList<int> m_dividers;
    QString m_currentId;
    // The current row assistive technology last heard of.
    QString m_announcedId;
    // The frame shows once the keyboard is in use, not after a click (which opens or acks).
    bool m_framed = false;
    bool m_layoutScheduled = false;
    bool m_layingOut = false;
    int m_relayouts = 0;
};

} // namespace halyard
