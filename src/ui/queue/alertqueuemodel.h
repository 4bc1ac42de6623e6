#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"
#include "queue/alertfolding.h"

#include <QAbstractListModel>
#include <QList>

namespace halyard {

class AlertStore;
struct AlertChanges;

// "just now", "4 min ago", "2 h ago", "3 d ago": the age of an alert at the panel's resolution.
QString relativeAge(double seconds);

// The alert queue as a list model of folded rows (see AlertFolding), oldest first, aged to a
// clock the panel sets. It keeps its own copy of the rows and turns each announcement of the
// store into the rows that came and went and the rows whose members changed, and each new time
// into the rows whose stage or age text changed, so a view does work for what changed, never for
// the whole queue.
class AlertQueueModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        AlertRole = Qt::UserRole + 1, // Alert
        StageRole, // AgeStage
        AgeTextRole, // QString
        CountRole, // int: alerts folded into the row
    };

    // The store must outlive the model.
    AlertQueueModel(const AlertStore& store, ReferenceTime now, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row's alert: the newest member's text under the oldest member's id and time.
    const Alert& alert(int row) const { return m_rows.at(row).folded.alert; }
    const QStringList& memberIds(int row) const { return m_rows.at(row).folded.memberIds; }
    AgeStage stage(int row) const { return m_rows.at(row).stage; }
    QString ageText(int row) const;
    ReferenceTime now() const { return m_now; }
    QList<AgeStage> stages() const;

    void setNow(ReferenceTime now);

private:
    struct Row {
        FoldedRow folded;
        AgeStage stage = AgeStage::fresh;
    };

    void apply();
    Row makeRow(FoldedRow folded) const;
    // Re-ages every row and announces the runs of rows whose stage or age text changed.
    void reage(ReferenceTime before);

    const AlertStore& m_store;
    ReferenceTime m_now;
    AlertFolding m_folding;
    QList<Row> m_rows;
};

} // namespace halyard
