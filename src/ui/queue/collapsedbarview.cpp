#include "ui/queue/collapsedbarview.h"

#include "common/servertext.h"
#include "slack/text/accentcolor.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/panelstyle.h"
#include "ui/common/statusdot.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kConnectionDotDiameter = 6;
constexpr int kButtonSize = 28;

QString healthDescription(QueueHealth health)
{
    switch (health) {
    case QueueHealth::allClear:
        return CollapsedBarView::tr("All clear");
    case QueueHealth::hasAlerts:
        return CollapsedBarView::tr("Alerts waiting");
    case QueueHealth::halfAged:
        return CollapsedBarView::tr("Half of the alerts are aging");
    case QueueHealth::mostlyAged:
        return CollapsedBarView::tr("Most alerts are aging");
    }
    return {};
}

QToolButton* makeBarButton(const QString& text, int pixelSize, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(true);
    // Reached with Tab once the panel has the keyboard; a click leaves the keyboard alone.
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setFont(panelstyle::textFont(pixelSize, QFont::DemiBold));
    panelstyle::setTone(button, panelstyle::Tone::secondary);
    return button;
}

} // namespace

CollapsedBarView::CollapsedBarView(QWidget* parent)
    : QWidget(parent)
    , m_dot(new StatusDot(kConnectionDotDiameter, false, this))
    , m_wordmark(new QLabel(this))
    , m_status(new QLabel(this))
    , m_count(new QLabel(this))
    , m_snoozed(new QLabel(this))
    , m_chevron(makeBarButton({}, 10, this))
    , m_settings(makeBarButton(u"⚙"_s, 15, this))
{
    using namespace panelstyle;

    m_dot->setObjectName(u"connectionDot"_s);
    m_wordmark->setObjectName(u"wordmark"_s);
    m_status->setObjectName(u"statusLabel"_s);
    m_count->setObjectName(u"countLabel"_s);
    m_snoozed->setObjectName(u"snoozedLabel"_s);
    m_snoozed->setFont(textFont(11));
    setTone(m_snoozed, Tone::secondary);
    m_snoozed->hide();
    m_chevron->setObjectName(u"chevronButton"_s);
    m_settings->setObjectName(u"settingsButton"_s);

    m_wordmark->setFont(textFont(12, QFont::DemiBold));
    m_wordmark->setTextFormat(Qt::RichText);
    m_wordmark->setText(u"<span style=\"color:"_s + accentColor.hexName() + u"\">Hal</span>yard"_s);
    m_wordmark->setAccessibleName(u"Halyard"_s);
    m_count->setFont(textFont(11));
    setTone(m_count, Tone::secondary);
    m_settings->setToolTip(tr("Settings"));
    m_settings->setAccessibleName(tr("Settings"));
    m_settings->setAccessibleDescription(tr("Opens the settings window"));
    m_chevron->setAccessibleDescription(tr("Shows or hides the queue of alerts"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 4, 0);
    layout->setSpacing(6);
    layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    layout->addSpacing(1);
    layout->addWidget(m_wordmark);
    layout->addSpacing(2);
    layout->addWidget(m_status);
    layout->addWidget(m_count);
    layout->addWidget(m_snoozed);
    layout->addStretch(1);
    layout->addWidget(m_chevron);
    layout->addWidget(m_settings);
    setFixedHeight(kButtonSize + 4);

    connect(m_chevron, &QToolButton::clicked, this, &CollapsedBarView::expandToggleRequested);
    connect(m_settings, &QToolButton::clicked, this, &CollapsedBarView::settingsRequested);

    setExpanded(false);
    updateStatus();
    setQueueSummary(m_health, 0);
}

QString CollapsedBarView::statusDescription(const ConnectionState& state)
{
    switch (state.kind()) {
    case ConnectionState::Kind::disconnected:
        return tr("Not connected — open Settings");
    case ConnectionState::Kind::connecting:
        return tr("Connecting to Slack…");
    case ConnectionState::Kind::connected:
        return tr("Connected to Slack");
    case ConnectionState::Kind::error:
        return excerpt(tr("Connection error: %1").arg(problemText(state.problem())));
    }
    return {};
}

void CollapsedBarView::setDemo(bool demo)
{
    m_demo = demo;
    m_wordmark->setToolTip(demo ? tr("Halyard · demo") : QString());
    updateStatus();
}

void CollapsedBarView::setConnectionState(const ConnectionState& state)
{
    m_state = state;
    updateStatus();
}

void CollapsedBarView::setQueueSummary(QueueHealth health, qsizetype alertCount)
{
    m_health = health;
    m_alertCount = alertCount;
    m_count->setText(u"(%1)"_s.arg(alertCount));
    m_count->setAccessibleName(tr("Alerts: %1").arg(alertCount));
    m_count->setVisible(alertCount > 0);
    m_chevron->setVisible(alertCount > 0);
    updateStatus();
}

void CollapsedBarView::setSnoozedCount(qsizetype snoozed)
{
    m_snoozed->setText(u"💤 %1"_s.arg(snoozed));
    m_snoozed->setToolTip(tr("Snoozed: %1").arg(snoozed));
    m_snoozed->setAccessibleName(m_snoozed->toolTip());
    m_snoozed->setVisible(snoozed > 0);
}

void CollapsedBarView::setExpanded(bool expanded)
{
    m_chevron->setText(expanded ? u"▲"_s : u"▼"_s);
    m_chevron->setToolTip(expanded ? tr("Hide the queue") : tr("Show the queue"));
    m_chevron->setAccessibleName(m_chevron->toolTip());
}

void CollapsedBarView::updateStatus()
{
    using namespace panelstyle;

    m_dot->setColor(connectionColor(m_state.kind()));
    const QString description = m_demo ? tr("Halyard · demo — %1").arg(statusDescription(m_state))
                                       : statusDescription(m_state);
    m_dot->setToolTip(plainToolTip(description));
    m_dot->setAccessibleName(description);
    m_dot->setAccessibleDescription(tr("Connection to Slack"));

    QString label;
    switch (m_state.kind()) {
    case ConnectionState::Kind::disconnected:
        label = tr("Not connected");
        break;
    case ConnectionState::Kind::connecting:
        label = tr("Connecting…");
        break;
    case ConnectionState::Kind::connected:
        label = healthSymbol(m_health);
        break;
    case ConnectionState::Kind::error:
        label = tr("Connection error");
        break;
    }
    const bool symbol = m_state.kind() == ConnectionState::Kind::connected;
    m_status->setFont(textFont(symbol ? 12 : 11));
    setTone(m_status, symbol ? Tone::primary : Tone::secondary);
    m_status->setText(label);
    m_status->setToolTip(m_dot->toolTip());
    // The health symbol is a coloured circle: say in words what it means.
    m_status->setAccessibleName(symbol ? healthDescription(m_health) : label);
    m_status->setAccessibleDescription(description);
}

} // namespace halyard
