#include "ui/queue/alertrow.h"

#include "ui/common/elidedlabel.h"
#include "ui/common/panelstyle.h"
#include "ui/common/statusdot.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/alerttext.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kDotDiameter = 8;
// Centres the dot on the header line.
constexpr int kDotNudge = 3;

} // namespace

AlertRow::AlertRow(QWidget* parent)
    : HoverRow(parent)
    , m_openArea(new OpenArea(this))
    , m_dot(new StatusDot(kDotDiameter, true, m_openArea))
    , m_channel(new ElidedLabel)
    , m_author(new ElidedLabel)
    , m_age(new QLabel)
    , m_count(new QLabel)
    , m_text(new AlertText)
    , m_ack(new QPushButton(tr("Ack"), this))
{
    using namespace panelstyle;

    m_dot->setObjectName(u"stageDot"_s);
    m_channel->setObjectName(u"alertChannel"_s);
    m_author->setObjectName(u"alertAuthor"_s);
    m_age->setObjectName(u"alertAge"_s);
    m_count->setObjectName(u"foldCount"_s);
    m_count->setFont(textFont(10, QFont::Bold));
    setTone(m_count, Tone::secondary);
    m_count->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_count->hide();
    m_text->setObjectName(u"alertText"_s);
    m_ack->setObjectName(u"ackButton"_s);
    m_openArea->setObjectName(u"openArea"_s);

    m_openArea->setToolTip(tr("Open in Slack"));
    m_openArea->setAccessibleDescription(tr("Open in Slack"));
    m_openArea->setCursor(Qt::PointingHandCursor);
    m_openArea->setFocusPolicy(Qt::NoFocus);
    m_openArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    m_channel->setFont(textFont(10, QFont::Medium));
    setTone(m_channel, Tone::secondary);
    m_author->setFont(textFont(10));
    setTone(m_author, Tone::tertiary);
    m_age->setFont(textFont(10));
    setTone(m_age, Tone::tertiary);
    m_age->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_text->setFont(textFont(12));

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(4);
    header->addWidget(m_channel);
    header->addWidget(m_author);
    header->addSpacing(2);
    header->addWidget(m_age);
    header->addWidget(m_count);
    header->addStretch(1);

    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addLayout(header);
    column->addWidget(m_text);

    auto* area = new QHBoxLayout(m_openArea);
    area->setContentsMargins(0, 0, 0, 0);
    area->setSpacing(8);
    auto* dotColumn = new QVBoxLayout;
    dotColumn->setContentsMargins(0, kDotNudge, 0, 0);
    dotColumn->addWidget(m_dot);
    dotColumn->addStretch(1);
    area->addLayout(dotColumn);
    area->addLayout(column, 1);

    m_ack->setFont(textFont(11));
    m_ack->setFixedSize(m_ack->fontMetrics().horizontalAdvance(m_ack->text()) + 20, 22);
    // The queue moves the keyboard between rows; A or Delete acknowledges the current one.
    m_ack->setFocusPolicy(Qt::NoFocus);
    m_ack->setAccessibleDescription(tr("Removes the alert from the queue"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(8);
    row->addWidget(m_openArea, 1, Qt::AlignTop);
    row->addWidget(m_ack, 0, Qt::AlignTop);

    connect(m_openArea, &QAbstractButton::clicked, this, [this] { emit openRequested(m_alert); });
    connect(m_ack, &QPushButton::clicked, this, [this] { emit acknowledgeRequested(m_alert); });
    connect(m_text, &AlertText::linkActivated, this, &AlertRow::linkActivated);

    updateStage();
    m_channel->setText(u"#"_s);
    m_author->hide();
    m_ack->setAccessibleName(tr("Acknowledge alert from %1").arg(m_channel->text()));
    updateAccessibleText();
}

void AlertRow::setIndex(const QModelIndex& index)
{
    using Model = AlertQueueModel;
    const QVariant author = index.data(Model::AuthorRole);
    setContent({ index.data(Model::AlertRole).value<Alert>(),
        index.data(Model::ChannelRole).toString(),
        author.isValid() ? std::optional(author.toString()) : std::nullopt,
        index.data(Model::TextRole).value<StyledText>(), index.data(Model::AgeTextRole).toString(),
        index.data(Model::StageRole).value<AgeStage>(), index.data(Model::CountRole).toInt() });
}

// Only what differs is set: a label set to its own text still lays the row out again.
void AlertRow::setContent(const Content& content)
{
    m_alert = content.alert;
    bool changed = false;
    if (content.text != m_runs) {
        m_runs = content.text;
        m_text->setRuns(m_runs);
        changed = true;
    }
    if (content.channel != m_channel->text()) {
        m_channel->setText(content.channel);
        m_ack->setAccessibleName(tr("Acknowledge alert from %1").arg(content.channel));
        changed = true;
    }
    if (content.author != m_authorName) {
        m_authorName = content.author;
        m_author->setText(m_authorName ? u"· "_s + *m_authorName : QString());
        m_author->setVisible(m_authorName.has_value());
        changed = true;
    }
    if (content.stage != m_stage) {
        m_stage = content.stage;
        updateStage();
        changed = true;
    }
    if (content.ageText != m_age->text()) {
        m_age->setText(content.ageText);
        changed = true;
    }
    if (content.count != m_foldCount) {
        m_foldCount = content.count;
        m_count->setText(tr("×%1").arg(m_foldCount));
        m_count->setToolTip(tr("%1 alerts like this one").arg(m_foldCount));
        m_count->setVisible(m_foldCount > 1);
        changed = true;
    }
    if (changed)
        updateAccessibleText();
}

void AlertRow::updateStage()
{
    m_dot->setColor(panelstyle::stageColor(m_stage));
    const QString name = tr("Stage: %1").arg(panelstyle::stageName(m_stage));
    m_dot->setToolTip(name);
    m_dot->setAccessibleName(name);
}

QString AlertRow::channelLabel() const
{
    return m_channel->text();
}

void AlertRow::updateAccessibleText()
{
    QStringList parts { m_channel->text() };
    if (m_authorName)
        parts.append(*m_authorName);
    if (!m_age->text().isEmpty())
        parts.append(m_age->text());
    if (m_foldCount > 1)
        parts.append(m_count->toolTip());
    parts.append(panelstyle::stageName(m_stage));
    parts.append(m_text->plainText());
    m_openArea->setAccessibleName(parts.join(tr(", ", "between the parts of an alert's name")));
}

} // namespace halyard
