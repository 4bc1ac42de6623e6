#pragma once

#include "common/latestwinswriter.h"

#include <QList>
#include <QString>

#include <expected>
#include <memory>

namespace halyard {

// An ack reaction that still has to reach Slack. No token: the poster takes the current one
// when it sends.
struct PendingReaction {
    QString channel; // channel ID of the source message
    QString ts; // the source message's ts
    QString emoji; // reaction name, as configured at the Ack

    friend bool operator==(const PendingReaction&, const PendingReaction&) = default;
};

// The ack reactions not yet sent, in the data folder beside the queue file ("reactions.json"),
// so that an Ack made just before a stop, a crash or a long outage still reaches Slack after the
// next start. Written like the queue file: replaced whole, private, flushed before it replaces
// the old one, on a writer thread so the caller never waits for the disk.
class ReactionOutbox {
public:
    static std::expected<ReactionOutbox, QString> create(const QString& folder);

    const QString& filePath() const { return *m_filePath; }

    // No file gives an empty list. A file that cannot be read or decoded is kept aside (with a
    // warning) and gives an empty list, so it never blocks the reactions made from now on.
    QList<PendingReaction> load();
    void saveInBackground(const QList<PendingReaction>& pending);
    // Waits until every list handed over so far is on disk (or failed).
    void flush();

    static QByteArray encode(const QList<PendingReaction>& pending);
    static std::expected<QList<PendingReaction>, QString> decode(const QByteArray& bytes);

private:
    explicit ReactionOutbox(QString filePath);

    std::shared_ptr<QString> m_filePath;
    std::shared_ptr<LatestWinsWriter<QList<PendingReaction>>> m_writer;
};

} // namespace halyard
