#pragma once

#include "common/latestwinswriter.h"
#include "queue/alert.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <expected>
#include <memory>

namespace halyard {

// The queue file: the alerts and the per-channel high-water marks in one compact JSON object,
// replaced as a whole after every change. The catch-up points and acknowledged ids are
// optional members, written only when there are any, so older files load and older programs
// read newer files. The file holds message text, so its folder is private
// to the user and every write is flushed to disk before it replaces the old file.
class AlertPersistence {
public:
    struct State {
        QList<Alert> alerts {};
        QMap<QString, QString> highWaterByChannel {};
        // Per channel whose catching up has not completed, the ts it resumes from; live
        // messages move the mark but never this point.
        QMap<QString, QString> backfillFromByChannel {};
        // Alerts acknowledged here or by a live ack reaction that a catch-up could still read
        // again, so that they are never queued twice.
        QSet<QString> acknowledgedIds {};

        friend bool operator==(const State&, const State&) = default;
    };

    // $XDG_DATA_HOME/Halyard (by default ~/.local/share/Halyard).
    static QString defaultFolder();

    // Creates the folder (mode 0700) if needed; the file itself is not touched. Fails with a
    // description when the folder cannot be created.
    static std::expected<AlertPersistence, QString> create(const QString& folder = defaultFolder());

    const QString& filePath() const { return m_file->filePath; }

    // No file gives the empty state. A file that cannot be read or decoded fails as a whole, and
    // is then kept aside by the next save instead of being overwritten. An alert whose time is
    // implausible (see isPlausibleTime) is kept with the load time as its time.
    std::expected<State, QString> load();

    // Writes the state now, on the calling thread.
    std::expected<void, QString> save(const State& state);

    // Hands the state to a writer thread and returns at once, so the caller never waits for the
    // disk. Writes happen in order; when several are waiting only the newest is written, since
    // each holds the complete queue. A failed write is logged once per run of failures; the
    // next write that succeeds holds everything.
    void saveInBackground(const State& state);
    // Waits until every state handed over so far is on disk (or failed).
    void flush();
    // Whether a state handed over is still waiting or being written.
    bool isWriting() const;

    static QByteArray encode(const State& state);
    static json::Decoded<State> decode(const QByteArray& bytes);

private:
    struct FileState {
        QString filePath;
        std::optional<QString> loadFailure;
    };

    explicit AlertPersistence(QString filePath);
    static std::expected<void, QString> write(FileState& file, const State& state);
    static std::expected<void, QString> keepDamagedFileAside(FileState& file);

    // Shared with the writer thread, which is the only one that touches it once it runs.
    std::shared_ptr<FileState> m_file;
    std::shared_ptr<LatestWinsWriter<State>> m_writer;
};

} // namespace halyard
