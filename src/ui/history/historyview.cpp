#include "ui/history/historyview.h"

#include "history/historyfile.h"
#include "ui/common/panelstyle.h"
#include "ui/history/historycharts.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// A row of stage swatches with their names, so colour is never the only key.
QWidget* makeLegend(QWidget* parent)
{
    auto* legend = new QWidget(parent);
    auto* row = new QHBoxLayout(legend);
    row->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const QColor& colour, const QString& name) {
        auto* swatch = new QLabel(legend);
        swatch->setFixedSize(10, 10);
        swatch->setAutoFillBackground(true);
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::Window, colour);
        swatch->setPalette(palette);
        row->addWidget(swatch);
        row->addWidget(new QLabel(name, legend));
        row->addSpacing(8);
    };
    for (const AgeStage stage : kAllAgeStages)
        add(chartStageColor(stage), panelstyle::stageName(stage));
    add(panelstyle::toneColor(parent->palette(), panelstyle::Tone::tertiary),
        HistoryView::tr("Waiting"));
    row->addStretch();
    return legend;
}

QString orDash(const std::optional<qint64>& ms)
{
    return ms ? formatDuration(*ms) : u"–"_s;
}

QString ranked(const QList<ShiftReport::Ranked>& names)
{
    QStringList parts;
    for (const auto& entry : names)
        parts.append(u"%1 (%2)"_s.arg(entry.name.toHtmlEscaped()).arg(entry.count));
    return parts.isEmpty() ? HistoryView::tr("none") : parts.join(u", "_s);
}

} // namespace

HistoryView::HistoryView(QString historyPath, std::function<AgingPolicy()> policy, QWidget* parent)
    : QWidget(parent)
    , m_path(std::move(historyPath))
    , m_policy(std::move(policy))
    , m_period(new QComboBox(this))
    , m_summary(new QLabel(this))
    , m_failure(new QLabel(this))
    , m_hourly(new HourlyChart(this))
    , m_timeToAck(new TimeToAckChart(this))
{
    setWindowTitle(tr("History"));
    m_period->addItem(tr("Last 12 hours"), 12);
    m_period->addItem(tr("Last 24 hours"), 24);
    m_period->addItem(tr("Last 7 days"), 7 * 24);
    m_period->addItem(tr("Last 30 days"), 30 * 24);
    m_period->setAccessibleName(tr("Period"));
    auto* copy = new QPushButton(tr("Copy as Markdown"), this);
    copy->setToolTip(tr("The shift report for pasting into a hand-over thread"));

    auto* top = new QHBoxLayout;
    auto* periodLabel = new QLabel(tr("&Period:"), this);
    periodLabel->setBuddy(m_period);
    top->addWidget(periodLabel);
    top->addWidget(m_period);
    top->addStretch();
    top->addWidget(copy);

    m_summary->setTextFormat(Qt::RichText);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setWordWrap(true);
    m_failure->setWordWrap(true);
    m_failure->hide();

    auto* hourlyBox = new QGroupBox(tr("Alerts per hour, by stage when acknowledged"), this);
    auto* hourlyLayout = new QVBoxLayout(hourlyBox);
    hourlyLayout->addWidget(m_hourly);
    hourlyLayout->addWidget(makeLegend(hourlyBox));
    auto* ttaBox = new QGroupBox(tr("Time to acknowledge, against the aging thresholds"), this);
    auto* ttaLayout = new QVBoxLayout(ttaBox);
    ttaLayout->addWidget(m_timeToAck);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_failure);
    layout->addWidget(m_summary);
    layout->addWidget(hourlyBox, 1);
    layout->addWidget(ttaBox, 1);
    resize(640, 640);

    connect(m_period, &QComboBox::currentIndexChanged, this, &HistoryView::reload);
    connect(copy, &QPushButton::clicked, this,
        [this] { QApplication::clipboard()->setText(m_report.toMarkdown()); });
}

int HistoryView::periodHours() const
{
    return m_period->currentData().toInt();
}

void HistoryView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

void HistoryView::reload()
{
    const quint64 generation = ++m_generation;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 from = now - qint64(periodHours()) * 60 * 60 * 1000;
    const AgingPolicy policy = m_policy ? m_policy() : AgingPolicy {};
    struct Outcome {
        std::optional<ShiftReport> report;
        QString failure;
    };
    auto outcome = std::make_shared<Outcome>();
    QThread* thread = QThread::create([path = m_path, outcome, from, now, policy] {
        const auto contents = HistoryFile::read(path);
        if (!contents) {
            outcome->failure = contents.error();
            return;
        }
        outcome->report = ShiftReport::compute(
            livesSince(foldLives(contents->records), from), from, now, policy);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, outcome, generation] {
        if (generation != m_generation)
            return;
        m_failure->setVisible(!outcome->report);
        if (!outcome->report) {
            m_failure->setText(tr("The history cannot be read: %1").arg(outcome->failure));
            return;
        }
        showReport(*outcome->report);
        emit reloaded();
    });
    thread->start();
}

void HistoryView::showReport(const ShiftReport& report)
{
    m_report = report;
    const auto row = [](const QString& label, const QString& value) {
        return u"<tr><td>%1</td><td align=right><b>%2</b></td></tr>"_s.arg(label, value);
    };
    QString html = u"<table cellspacing=2><tr><td valign=top><table>"_s;
    html += row(tr("Alerts"), QString::number(report.alerts));
    html += row(tr("Acknowledged by you"), QString::number(report.ackedByYou));
    html += row(tr("Acknowledged by teammates"), QString::number(report.ackedByTeammates));
    html += row(tr("Still waiting"), QString::number(report.waiting));
    html += u"</table></td><td width=24></td><td valign=top><table>"_s;
    html += row(tr("Median time to acknowledge"), orDash(report.medianMs));
    html += row(tr("90th percentile"), orDash(report.p90Ms));
    html += row(tr("Went overdue"), QString::number(report.wentOverdue));
    html += u"</table></td></tr></table>"_s;
    html += u"<p>"_s + tr("Noisiest senders: %1").arg(ranked(report.senders)) + u"<br>"_s
        + tr("Noisiest channels: %1").arg(ranked(report.channels)) + u"</p>"_s;
    m_summary->setText(html);
    m_hourly->setReport(report);
    m_timeToAck->setReport(report);
}

} // namespace halyard
