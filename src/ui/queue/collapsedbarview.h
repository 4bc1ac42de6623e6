#pragma once

#include "queue/agingpolicy.h"
#include "settings/connectionstate.h"

#include <QWidget>

class QLabel;
class QToolButton;

namespace halyard {

class StatusDot;

// The line that is always visible: connection dot, wordmark, status, alert count, the chevron
// that shows or hides the queue, and the settings button. It shows what it is given; the root
// view decides.
class CollapsedBarView : public QWidget {
    Q_OBJECT
public:
    explicit CollapsedBarView(QWidget* parent = nullptr);

    // Marks the bar as the demo's, in the wordmark's and the connection's tooltips.
    void setDemo(bool demo);

    void setConnectionState(const ConnectionState& state);
    void setQueueSummary(QueueHealth health, qsizetype alertCount);
    // "💤 N" beside the count while alerts are snoozed.
    void setSnoozedCount(qsizetype snoozed);
    void setExpanded(bool expanded);

    // What the dot's tooltip says, as plain text on one line: "Connected to Slack", "Connection
    // error: <message>", …
    static QString statusDescription(const ConnectionState& state);

signals:
    void expandToggleRequested();
    void settingsRequested();

private:
    void updateStatus();

    ConnectionState m_state;
    bool m_demo = false;
    QueueHealth m_health = QueueHealth::allClear;
    qsizetype m_alertCount = 0;
    StatusDot* m_dot;
    QLabel* m_wordmark;
    QLabel* m_status;
    QLabel* m_count;
    QLabel* m_snoozed;
    QToolButton* m_chevron;
    QToolButton* m_settings;
};

} // namespace halyard
