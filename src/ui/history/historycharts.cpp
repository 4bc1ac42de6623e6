#include "ui/history/historycharts.h"

#include "ui/common/panelstyle.h"

#include <QDateTime>
#include <QPainter>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kLeft = 36;
constexpr int kBottom = 22;
constexpr int kTop = 8;
constexpr int kRight = 8;

// A round step for the value axis (1, 2, 5, 10, …), so at most about four lines.
qsizetype gridStep(qsizetype largest)
{
    qsizetype step = 1;
    for (const qsizetype next : { 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000 }) {
        if (largest <= 4 * step)
            break;
        step = next;
    }
    return step;
}

struct Frame {
    QRectF plot;
    // The value at the top of the plot.
    double top = 1;
    double yOf(double value) const { return plot.bottom() - plot.height() * value / top; }
};

// The background, value lines and their labels.
Frame drawFrame(QPainter& painter, const QWidget& widget, qsizetype largest)
{
    const QPalette& palette = widget.palette();
    Frame frame;
    frame.plot
        = QRectF(kLeft, kTop, widget.width() - kLeft - kRight, widget.height() - kTop - kBottom);
    painter.fillRect(widget.rect(), palette.base());
    const qsizetype step = gridStep(largest);
    const qsizetype top = std::max<qsizetype>(step, (largest + step - 1) / step * step);
    frame.top = double(top);
    for (qsizetype value = 0; value <= top; value += step) {
        const double y = frame.yOf(double(value));
        painter.setPen(panelstyle::toneColor(palette, panelstyle::Tone::separator));
        painter.drawLine(QPointF(frame.plot.left(), y), QPointF(frame.plot.right(), y));
        painter.setPen(panelstyle::toneColor(palette, panelstyle::Tone::secondary));
        painter.drawText(QRectF(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(value));
    }
    return frame;
}

void drawAxisLabel(QPainter& painter, const QWidget& widget, double x, const QString& text,
    Qt::Alignment align = Qt::AlignHCenter)
{
    painter.setPen(panelstyle::toneColor(widget.palette(), panelstyle::Tone::secondary));
    const double width = 80;
    const double left = align == Qt::AlignLeft ? x
        : align == Qt::AlignRight              ? x - width
                                               : x - width / 2;
    painter.drawText(QRectF(left, widget.height() - kBottom + 4, width, kBottom - 4),
        align | Qt::AlignTop, text);
}

QColor waitingColor(const QPalette& palette)
{
    return panelstyle::toneColor(palette, panelstyle::Tone::tertiary);
}

} // namespace

QColor chartStageColor(AgeStage stage)
{
    return stage == AgeStage::fresh ? QColor(0x34, 0xc7, 0x59) : panelstyle::stageColor(stage);
}

HourlyChart::HourlyChart(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(tr("Alerts per hour"));
}

void HourlyChart::setReport(const ShiftReport& report)
{
    m_report = report;
    setAccessibleDescription(describe(report));
    update();
}

QString HourlyChart::describe(const ShiftReport& report)
{
    qsizetype busiest = -1;
    qsizetype most = 0;
    for (qsizetype i = 0; i < report.hours.size(); ++i) {
        const auto& hour = report.hours[i];
        qsizetype total = hour.waiting;
        for (const qsizetype count : hour.acked)
            total += count;
        if (total > most) {
            most = total;
            busiest = i;
        }
    }
    const int alerts = int(report.alerts);
    if (busiest < 0)
        return tr("Alerts per hour: no alerts in this period.");
    const int inBusiest = int(most);
    return tr("Alerts per hour, stacked by the stage at acknowledgement: %n alert(s) in all; the "
              "busiest hour began %1 with %2.",
        "", alerts)
        .arg(QDateTime::fromMSecsSinceEpoch(report.hours[busiest].startMs).toString(u"HH:mm"_s),
            tr("%n alert(s)", "", inBusiest));
}

void HourlyChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    qsizetype largest = 0;
    for (const auto& hour : m_report.hours) {
        qsizetype total = hour.waiting;
        for (const qsizetype count : hour.acked)
            total += count;
        largest = std::max(largest, total);
    }
    const Frame frame = drawFrame(painter, *this, largest);
    const qsizetype hours = m_report.hours.size();
    if (hours == 0)
        return;
    const double slot = frame.plot.width() / double(hours);
    const double gap = slot > 4 ? std::max(1.0, slot / 6) : 0;
    for (qsizetype i = 0; i < hours; ++i) {
        const auto& hour = m_report.hours[i];
        double value = 0;
        const double x = frame.plot.left() + slot * double(i) + gap / 2;
        const auto stack = [&](qsizetype count, const QColor& colour) {
            if (count == 0)
                return;
            const double y0 = frame.yOf(value);
            value += double(count);
            const double y1 = frame.yOf(value);
            painter.fillRect(QRectF(x, y1, std::max(1.0, slot - gap), y0 - y1), colour);
        };
        for (const AgeStage stage : kAllAgeStages)
            stack(hour.acked[std::size_t(stage)], chartStageColor(stage));
        stack(hour.waiting, waitingColor(palette()));
    }
    // About six time labels, on whole hours.
    const qsizetype every = std::max<qsizetype>(1, (hours + 5) / 6);
    for (qsizetype i = 0; i < hours; i += every) {
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(m_report.hours[i].startMs);
        const bool days = hours > 48;
        drawAxisLabel(painter, *this, frame.plot.left() + slot * (double(i) + 0.5),
            start.toString(days ? u"dd.MM."_s : u"HH:mm"_s));
    }
}

TimeToAckChart::TimeToAckChart(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(tr("Time to acknowledge"));
}

void TimeToAckChart::setReport(const ShiftReport& report)
{
    m_report = report;
    setAccessibleDescription(describe(report));
    update();
}

QString TimeToAckChart::describe(const ShiftReport& report)
{
    const AgingPolicy& policy = report.policy;
    qsizetype beforeAging = 0;
    qsizetype overdue = 0;
    qsizetype total = 0;
    for (const auto& bin : report.bins) {
        total += bin.count;
        // Bins end on whole seconds; the thresholds split them where they fall.
        const double end = bin.toMs ? double(*bin.toMs) / 1000 : 1e18;
        if (end <= policy.freshUntil)
            beforeAging += bin.count;
        if (double(bin.fromMs) / 1000 >= policy.staleUntil)
            overdue += bin.count;
    }
    const int acknowledged = int(total);
    if (acknowledged == 0)
        return tr("Time to acknowledge: nothing acknowledged in this period.");
    const int fresh = int(beforeAging);
    const int late = int(overdue);
    return tr("Time to acknowledge of %n alert(s): ", "", acknowledged)
        + tr("%n while fresh, ", "", fresh) + tr("%n when overdue.", "", late);
}

void TimeToAckChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    qsizetype largest = 0;
    for (const auto& bin : m_report.bins)
        largest = std::max(largest, bin.count);
    const Frame frame = drawFrame(painter, *this, largest);
    const qsizetype bins = m_report.bins.size();
    if (bins == 0)
        return;
    const double slot = frame.plot.width() / double(bins);
    const AgingPolicy& policy = m_report.policy;
    const double binSeconds
        = m_report.bins.first().toMs ? double(*m_report.bins.first().toMs) / 1000 : 1;
    for (qsizetype i = 0; i < bins; ++i) {
        const auto& bin = m_report.bins[i];
        const double midSeconds = (double(bin.fromMs) / 1000) + binSeconds / 2;
        const QColor colour = chartStageColor(policy.stageForAge(midSeconds));
        const double y = frame.yOf(double(bin.count));
        painter.fillRect(
            QRectF(frame.plot.left() + slot * double(i) + 1, y, slot - 2, frame.plot.bottom() - y),
            colour);
    }
    // The thresholds, dashed, with the stage each one begins.
    QPen dashed(panelstyle::toneColor(palette(), panelstyle::Tone::primary));
    dashed.setStyle(Qt::DashLine);
    const std::pair<double, AgeStage> thresholds[] = { { policy.freshUntil, AgeStage::aging },
        { policy.agingUntil, AgeStage::stale }, { policy.staleUntil, AgeStage::overdue } };
    for (const auto& [seconds, stage] : thresholds) {
        const double x = frame.plot.left() + slot * seconds / binSeconds;
        if (x > frame.plot.right())
            continue;
        painter.setPen(dashed);
        painter.drawLine(QPointF(x, frame.plot.top()), QPointF(x, frame.plot.bottom()));
        painter.setPen(panelstyle::toneColor(palette(), panelstyle::Tone::primary));
        painter.drawText(QRectF(x + 3, frame.plot.top(), 120, 16), Qt::AlignLeft | Qt::AlignTop,
            panelstyle::stageName(stage));
    }
    drawAxisLabel(painter, *this, frame.plot.left(), u"0"_s, Qt::AlignLeft);
    for (const auto& [seconds, stage] : thresholds) {
        const double x = frame.plot.left() + slot * seconds / binSeconds;
        if (x <= frame.plot.right())
            drawAxisLabel(painter, *this, x, formatDuration(qint64(seconds * 1000)));
    }
    drawAxisLabel(painter, *this, frame.plot.right(), u"+"_s, Qt::AlignRight);
}

} // namespace halyard
