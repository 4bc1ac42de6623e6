#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"

#include <QAbstractListModel>
#include <QList>

namespace halyard {

class AlertStore;
struct AlertChanges;

// "just now", "4 min ago", "2 h ago", "3 d ago": the age of an alert at the panel's resolution.
QString relativeAge(double seconds);

// The alert queue as a list model, oldest first, aged to a clock the panel sets. It keeps its
// own copy of the queue and turns each announcement of the store into the rows that came and
// went, and each new time into the rows whose stage or age text changed, so a view does work
// for what changed, never for the whole queue.
class AlertQueueModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        AlertRole = Qt::UserRole + 1, // Alert
        StageRole, // AgeStage
        AgeTextRole, // QString
    };

    // The store must outlive the model.
    AlertQueueModel(const AlertStore& store, ReferenceTime now, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const Alert& alert(int row) const { return m_rows.at(row).alert; }
    AgeStage stage(int row) const { return m_rows.at(row).stage; }
    QString ageText(int row) const;
    ReferenceTime now() const { return m_now; }
    QList<AgeStage> stages() const;

    void setNow(ReferenceTime now);

private:
    struct Row {
        Alert alert;
        AgeStage stage = AgeStage::fresh;
    };

    void apply(const AlertChanges& changes);
    Row makeRow(const Alert& alert) const;
    // Re-ages every row and announces the runs of rows whose stage or age text changed.
    void reage(ReferenceTime before);

    const AlertStore& m_store;
    ReferenceTime m_now;
    QList<Row> m_rows;
};

} // namespace halyard
