#pragma once

#include "history/historyfile.h"
#include "queue/alertstore.h"

#include <QObject>

#include <functional>
#include <memory>

namespace halyard {

// Writes every alert's arrival and acknowledgement in the store to the history. Records of one
// turn of the event loop go to the writer together; the writer's thread does the disk. Main
// thread only.
class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    // Display names for channel and user ids, empty when not known.
    using NameOf = std::function<QString(const QString& id)>;
    struct Names {
        NameOf channel;
        NameOf user;
    };

    HistoryRecorder(AlertStore& store, std::unique_ptr<HistoryWriter> writer, Names names = {},
        QObject* parent = nullptr);
    // Hands over what waits; the writer writes it before it stops.
    ~HistoryRecorder() override;

    // Hands what waits to the writer now rather than at the end of the turn.
    void handOver();
    // Hands over what waits and waits for the disk.
    void flush();

    static AlertEvent eventFor(Arrival arrival);
    static AlertEvent eventFor(AckCause cause);

private:
    // What every record of an alert carries; `named` adds the channel's and sender's names.
    static HistoryRecord recordOf(const Alert& alert, AlertEvent event, qint64 at);
    HistoryRecord named(HistoryRecord entry, const Alert& alert) const;
    void record(HistoryRecord record);

    AlertStore& m_store;
    std::unique_ptr<HistoryWriter> m_writer;
    Names m_names;
    QList<HistoryRecord> m_pending;
    bool m_handOverScheduled = false;
};

} // namespace halyard
