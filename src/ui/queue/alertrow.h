#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"
#include "slack/text/slacktext.h"
#include "ui/common/hoverrow.h"

#include <QUrl>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace halyard {

class AlertText;
class ElidedLabel;
class StatusDot;

// One queued alert. The stage dot and the text form one click area that opens the message; the
// Ack button lies outside it. It shows what the queue model says of its row (names, stage, age,
// count) and looks nothing up itself, so it changes only when the model announces a change.
class AlertRow : public HoverRow {
    Q_OBJECT
public:
    // What the row shows.
    struct Content {
        Alert alert;
        // "#" and the channel's name, or its ID until the name is known.
        QString channel;
        std::optional<QString> author;
        StyledText text;
        QString ageText;
        AgeStage stage = AgeStage::fresh;
        // How many alerts the row stands for; "×N" shows from two on.
        qsizetype count = 1;
    };

    explicit AlertRow(QWidget* parent = nullptr);

    const Alert& alert() const { return m_alert; }
    QString channelLabel() const;
    AgeStage stage() const { return m_stage; }
    // The row of an AlertQueueModel, read through its roles.
    void setIndex(const QModelIndex& index);
    void setContent(const Content& content);
    // What a screen reader announces as the row.
    QAbstractButton* openArea() const { return m_openArea; }

signals:
    void acknowledgeRequested(const halyard::Alert& alert);
    void openRequested(const halyard::Alert& alert);
    void linkActivated(const QUrl& url);

private:
    void updateStage();
    // "#channel, author, age, stage, text" on the click area, the channel on the Ack button.
    void updateAccessibleText();

    Alert m_alert;
    StyledText m_runs;
    AgeStage m_stage = AgeStage::fresh;
    QAbstractButton* m_openArea;
    StatusDot* m_dot;
    ElidedLabel* m_channel;
    ElidedLabel* m_author;
    std::optional<QString> m_authorName;
    QLabel* m_age;
    QLabel* m_count;
    qsizetype m_foldCount = 1;
    AlertText* m_text;
    QPushButton* m_ack;
};

} // namespace halyard
