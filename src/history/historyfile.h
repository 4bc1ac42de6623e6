#pragma once

#include "history/historyrecord.h"

#include <QList>
#include <QString>

#include <condition_variable>
#include <expected>
#include <mutex>
#include <thread>

namespace halyard {

// The history file: one JSON record per line, only ever appended to while the program runs, so a
// crash mid-append costs at most the line being written. Private to the user (0600) like the
// queue file. Rewritten whole only when tidied at start, and then atomically.
class HistoryFile {
public:
    // Kept for this long, and at most this many records, whichever is less.
    static constexpr qint64 kKeepMs = 90LL * 24 * 60 * 60 * 1000;
    static constexpr qsizetype kMaxRecords = 100'000;

    struct Contents {
        QList<HistoryRecord> records;
        // Lines that were not records (skipped), and records of kinds a newer program wrote.
        qsizetype damagedLines = 0;
        qsizetype unknownKinds = 0;
        // The file ended in something that is not a whole record; `wholeBytes` is where the last
        // whole record ends.
        bool damagedTail = false;
        qint64 wholeBytes = 0;
    };

    // "history.jsonl" in the folder, made private first.
    static std::expected<QString, QString> pathIn(const QString& folder);

    // Reads the records in file order; no file reads as empty. Never changes the file.
    static std::expected<Contents, QString> read(const QString& filePath);
    static Contents parse(QByteArrayView bytes);
    // `data` has simdjson's padding (SIMDJSON_PADDING bytes) readable behind `size`.
    static Contents parsePadded(const char* data, std::size_t size);

    // The records kept at `nowMs`: none older than kKeepMs, at most the newest kMaxRecords.
    static QList<HistoryRecord> kept(QList<HistoryRecord> records, qint64 nowMs);

    // At start: cuts a damaged tail at the last whole record (with a warning), and rewrites the
    // file atomically when records are due to go. Returns how many records it dropped.
    static std::expected<qsizetype, QString> tidy(const QString& filePath, qint64 nowMs);

    // Appends whole lines in one write; a short write (a full disk) is cut back off, so the file
    // still ends on a whole record, and fails.
    static std::expected<void, QString> append(int fd, const QByteArray& lines);
};

// Appends records on a thread of its own, so the intake never waits for the disk. Batches go out
// in order; a batch that fails to write waits for the next one and goes with it (at most
// kMaxWaiting records wait; beyond that the oldest go, with a warning).
class HistoryWriter {
public:
    static constexpr qsizetype kMaxWaiting = 100'000;

    // With `tidyAtMs`, tidies the file first (on the writer's thread).
    explicit HistoryWriter(QString filePath, std::optional<qint64> tidyAtMs = std::nullopt);
    // Writes what still waits, then stops.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    const QString& filePath() const { return m_filePath; }
    void append(QList<HistoryRecord> records);
    // Waits until everything handed over so far was written or failed.
    void flush();

private:
    void run(std::optional<qint64> tidyAtMs);

    const QString m_filePath;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    QList<HistoryRecord> m_waiting;
    bool m_writing = true;
    bool m_stopping = false;
    // Bumped by append(); flush() waits for the writer to have taken this far.
    quint64 m_handedOver = 0;
    quint64 m_done = 0;
    std::thread m_thread;
};

} // namespace halyard
