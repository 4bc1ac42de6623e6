#pragma once

#include "history/shiftreport.h"

#include <QWidget>

namespace halyard {

// The panel's stage colours, but fresh in green: the panel's white would vanish on a light base.
QColor chartStageColor(AgeStage stage);

// Alerts per hour of arrival, each bar stacked by the stage its alerts had when acknowledged,
// the ones still waiting on top. Colours are the panel's stage colours; axes and text follow the
// palette.
class HourlyChart : public QWidget {
    Q_OBJECT
public:
    explicit HourlyChart(QWidget* parent = nullptr);
    void setReport(const ShiftReport& report);
    QSize sizeHint() const override { return { 520, 180 }; }
    QSize minimumSizeHint() const override { return { 240, 120 }; }
    // What a screen reader says in place of the picture.
    static QString describe(const ShiftReport& report);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShiftReport m_report;
};

// How long acknowledgements took, as a histogram, with the aging thresholds drawn across it.
class TimeToAckChart : public QWidget {
    Q_OBJECT
public:
    explicit TimeToAckChart(QWidget* parent = nullptr);
    void setReport(const ShiftReport& report);
    QSize sizeHint() const override { return { 520, 180 }; }
    QSize minimumSizeHint() const override { return { 240, 120 }; }
    static QString describe(const ShiftReport& report);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShiftReport m_report;
};

} // namespace halyard
