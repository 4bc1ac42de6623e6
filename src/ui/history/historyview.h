#pragma once

#include "history/shiftreport.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;

namespace halyard {

class HourlyChart;
class TimeToAckChart;

// The History window: a period, its shift report and the two charts. Reads the history file on a
// thread of its own each time it is shown or the period changes, so a large file never holds
// up the panel.
class HistoryView : public QWidget {
    Q_OBJECT
public:
    // `policy` gives the aging thresholds now in force.
    HistoryView(
        QString historyPath, std::function<AgingPolicy()> policy, QWidget* parent = nullptr);

    // Reads the file again for the chosen period.
    void reload();
    // Shows a report as it is (for pictures of the window).
    void showReport(const ShiftReport& report);
    // The period's length chosen, in hours.
    int periodHours() const;

signals:
    // A report from the file is on screen.
    void reloaded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_path;
    std::function<AgingPolicy()> m_policy;
    QComboBox* m_period;
    QLabel* m_summary;
    QLabel* m_failure;
    HourlyChart* m_hourly;
    TimeToAckChart* m_timeToAck;
    ShiftReport m_report;
    // Newer loads supersede older ones still running.
    quint64 m_generation = 0;
};

} // namespace halyard
