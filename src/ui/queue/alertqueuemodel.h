#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"
#include "queue/alertfolding.h"
#include "slack/text/slacktext.h"

#include <QAbstractListModel>
#include <QList>

#include <functional>
#include <optional>

namespace halyard {

class AlertStore;
class SlackDirectory;
struct AlertChanges;

// "just now", "4 min ago", "2 h ago", "3 d ago": the age of an alert at the panel's resolution.
QString relativeAge(double seconds);

// The alert queue as a list model of folded rows (see AlertFolding), oldest first, aged to a
// clock the panel sets. It keeps its own copy of the rows and turns each announcement of the
// store into the rows that came and went and the rows whose members changed, and each new time
// into the rows whose stage or age text changed, so a view does work for what changed, never for
// the whole queue. Rows show the directory's names: when names arrive, the rows whose channel,
// author or text read differently are announced, once per turn of the event loop.
class AlertQueueModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        AlertRole = Qt::UserRole + 1, // Alert
        StageRole, // AgeStage
        AgeTextRole, // QString
        CountRole, // int: alerts folded into the row
        ChannelRole, // QString: "#" and the channel's name, or its ID until the name is known
        AuthorRole, // QString: the author's name; invalid while unknown or for no author
        TextRole, // StyledText: the text with the names known so far
    };

    // The store and the directory must outlive the model.
    AlertQueueModel(const AlertStore& store, const SlackDirectory& directory, ReferenceTime now,
        QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row's alert: the newest member's text under the oldest member's id and time.
    const Alert& alert(int row) const { return m_rows.at(row).folded.alert; }
    const QStringList& memberIds(int row) const { return m_rows.at(row).folded.memberIds; }
    AgeStage stage(int row) const { return m_rows.at(row).stage; }
    QString ageText(int row) const;
    const QString& channelLabel(int row) const { return m_rows.at(row).channel; }
    const std::optional<QString>& author(int row) const { return m_rows.at(row).author; }
    const StyledText& text(int row) const;
    ReferenceTime now() const { return m_now; }
    QList<AgeStage> stages() const;

    void setNow(ReferenceTime now);

private:
    struct Row {
        FoldedRow folded;
        AgeStage stage = AgeStage::fresh;
        QString channel;
        std::optional<QString> author;
        // Styled when first read, since most rows of a long queue are never shown.
        mutable std::optional<StyledText> text;
    };

    void apply();
    Row makeRow(FoldedRow folded) const;
    // Whether the row's header names changed; fills them in.
    bool nameHeader(Row& row) const;
    StyledText styled(const Alert& alert) const;
    // Re-ages every row and announces the runs of rows whose stage or age text changed.
    void reage(ReferenceTime before);
    void scheduleNames();
    void refreshNames();
    // Announces the runs of rows for which `update` says it changed something.
    void announceRuns(const std::function<bool(Row&)>& update, const QList<int>& roles);

    const AlertStore& m_store;
    const SlackDirectory& m_directory;
    bool m_namesScheduled = false;
    ReferenceTime m_now;
    AlertFolding m_folding;
    QList<Row> m_rows;
};

} // namespace halyard
