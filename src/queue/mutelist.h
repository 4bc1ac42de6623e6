#pragma once

#include "common/latestwinswriter.h"
#include "queue/alert.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <expected>
#include <functional>
#include <memory>
#include <optional>

namespace halyard {

class AlertStore;

// "Mute alerts like this": for a while, alerts that would fold with a given one (same channel,
// sender and text but for its numbers) arrive snoozed until the mute ends. A mute never
// acknowledges or drops anything.
struct Mute {
    // The alert it was made from.
    QString id;
    QString channelId;
    std::optional<QString> userId;
    // The alert's text, to show and to match by its numberless key.
    QString text;
    ReferenceTime until = 0;
    // Alerts that arrived muted so far.
    qint64 arrived = 0;

    bool covers(const Alert& alert) const;
    friend bool operator==(const Mute&, const Mute&) = default;
};

// The active mutes, kept in the data folder ("mutes.json") like the queue file: private,
// replaced whole, written on a writer thread. It decides which arriving alerts the store snoozes,
// ends each mute at its time (waking what it held) and then says how many arrived meanwhile.
// A file that cannot be read is kept aside and no mute is active.
class MuteList : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<ReferenceTime()>;

    // Without a folder nothing is saved. The store must outlive the list.
    MuteList(AlertStore& store, std::optional<QString> folder, Clock clock = currentReferenceTime,
        QObject* parent = nullptr);
    ~MuteList() override;

    const QList<Mute>& mutes() const { return m_mutes; }
    // Mutes alerts like this one until `until`; a mute of the same kind gets the later end.
    void mute(const Alert& like, ReferenceTime until);
    // Ends the mute made from this alert now; false when there is none.
    bool unmute(const QString& id);
    // Ends the mutes whose time has come.
    void recheck();
    void flush();

    static QByteArray encode(const QList<Mute>& mutes);
    static std::expected<QList<Mute>, QString> decode(const QByteArray& bytes);

    static constexpr int kLongestWaitMs = 60 * 1000;

signals:
    void mutesChanged();
    // A mute ended; `mute.arrived` alerts came in while it lasted and are back in view.
    void muteEnded(const halyard::Mute& mute);

private:
    void end(qsizetype index);
    void changed();

    AlertStore& m_store;
    Clock m_clock;
    QList<Mute> m_mutes;
    QTimer m_timer;
    std::optional<QString> m_filePath;
    std::shared_ptr<LatestWinsWriter<QList<Mute>>> m_writer;
};

} // namespace halyard

Q_DECLARE_METATYPE(halyard::Mute)
