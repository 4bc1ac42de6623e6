#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"
#include "ui/common/hoverrow.h"

#include <QUrl>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace halyard {

class AlertText;
class ElidedLabel;
class SlackDirectory;
class StatusDot;

// One queued alert. The stage dot and the text form one click area that opens the message; the
// Ack button lies outside it. The queue computes the stage; the header follows the directory's
// names as they arrive.
class AlertRow : public HoverRow {
    Q_OBJECT
public:
    // The directory must outlive the row.
    AlertRow(const Alert& alert, const SlackDirectory& directory, QWidget* parent = nullptr);

    const Alert& alert() const { return m_alert; }
    // "#" and the channel's name, or its ID until the name is known.
    QString channelLabel() const;
    // For an alert with the same id whose content changed.
    void setAlert(const Alert& alert);
    AgeStage stage() const { return m_stage; }
    void setAge(const QString& ageText, AgeStage stage);
    // How many alerts the row stands for; "×N" shows from two on.
    void setFoldCount(qsizetype count);
    // What a screen reader announces as the row.
    QAbstractButton* openArea() const { return m_openArea; }

signals:
    void acknowledgeRequested(const halyard::Alert& alert);
    void openRequested(const halyard::Alert& alert);
    void linkActivated(const QUrl& url);

private:
    void updateNames();
    // The header's names, and the text's when it mentions users or channels.
    void namesChanged();
    void updateText();
    void updateStage();
    // "#channel, author, age, stage, text" on the click area, the channel on the Ack button.
    void updateAccessibleText();

    const SlackDirectory& m_directory;
    Alert m_alert;
    AgeStage m_stage = AgeStage::fresh;
    QAbstractButton* m_openArea;
    StatusDot* m_dot;
    ElidedLabel* m_channel;
    ElidedLabel* m_author;
    std::optional<QString> m_authorName;
    bool m_mentionsNames = false;
    QLabel* m_age;
    QLabel* m_count;
    qsizetype m_foldCount = 1;
    AlertText* m_text;
    QPushButton* m_ack;
};

} // namespace halyard
