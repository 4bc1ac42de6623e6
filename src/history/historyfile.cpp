#include "history/historyfile.h"

#include "common/privatefile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <simdjson.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

QString fromView(std::string_view view)
{
    return QString::fromUtf8(view.data(), qsizetype(view.size()));
}

// Channels, senders, names and bot texts repeat across thousands of records: one shared string
// each saves most of the allocations of a large file (and of whatever copies it later).
class Interned {
public:
    QString operator()(std::string_view view)
    {
        if (const auto found = m_strings.find(view); found != m_strings.end())
            return found->second;
        QString made = fromView(view);
        if (m_strings.size() < kMaxStrings)
            m_strings.emplace(std::string(view), made);
        return made;
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view view) const
        {
            return std::hash<std::string_view> {}(view);
        }
    };
    static constexpr std::size_t kMaxStrings = 8192;
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_strings;
};

std::optional<qint64> integer(simdjson::dom::element value)
{
    int64_t whole = 0;
    if (!value.get_int64().get(whole))
        return whole;
    double number = 0;
    if (!value.get_double().get(number) && std::isfinite(number) && std::abs(number) < 9.0e15)
        return qint64(number);
    return std::nullopt;
}

enum class LineOutcome { record, damaged, unknownKind };

// One line, with the buffer's own padding behind it (simdjson reads ahead in wide blocks).
LineOutcome parseLine(simdjson::dom::parser& parser, Interned& intern, const char* data,
    std::size_t size, HistoryRecord& out)
{
    simdjson::dom::object object;
    if (parser.parse(data, size, false).get_object().get(object))
        return LineOutcome::damaged;
    out = {};
    bool haveAt = false;
    bool haveEvent = false;
    bool unknownKind = false;
    for (const auto field : object) {
        const std::string_view key = field.key;
        std::string_view text;
        const bool isText = !field.value.get_string().get(text);
        if (key == "at") {
            const auto at = integer(field.value);
            if (!at)
                return LineOutcome::damaged;
            out.at = *at;
            haveAt = true;
        } else if (key == "postedAt") {
            const auto at = integer(field.value);
            if (!at)
                return LineOutcome::damaged;
            out.postedAt = *at;
        } else if (!isText) {
            // Every other member is a string; what is not is not ours.
            if (key == "event" || key == "alert" || key == "channel")
                return LineOutcome::damaged;
        } else if (key == "event") {
            const auto event = eventFromName(fromView(text));
            unknownKind = !event;
            out.event = event.value_or(AlertEvent::arrivedLive);
            haveEvent = true;
        } else if (key == "alert") {
            out.alertId = fromView(text);
        } else if (key == "channel") {
            out.channelId = intern(text);
        } else if (key == "channelName") {
            out.channelName = intern(text);
        } else if (key == "sender") {
            out.sender = intern(text);
        } else if (key == "senderName") {
            out.senderName = intern(text);
        } else if (key == "text") {
            out.text = intern(text);
        } else if (key == "by") {
            out.by = intern(text);
        } else if (key == "byName") {
            out.byName = intern(text);
        } else if (key == "stage") {
            out.stage = stageFromKey(fromView(text));
        }
    }
    if (!haveAt || !haveEvent || out.alertId.isEmpty())
        return LineOutcome::damaged;
    return unknownKind ? LineOutcome::unknownKind : LineOutcome::record;
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

std::expected<QString, QString> HistoryFile::pathIn(const QString& folder)
{
    return privateFilePath(folder, u"history.jsonl"_s);
}

HistoryFile::Contents HistoryFile::parse(QByteArrayView bytes)
{
    // simdjson reads past the end in wide blocks: a copy with its padding behind the last line.
    QByteArray padded(bytes.size() + qsizetype(simdjson::SIMDJSON_PADDING), '\0');
    std::memcpy(padded.data(), bytes.data(), std::size_t(bytes.size()));
    return parsePadded(padded.constData(), std::size_t(bytes.size()));
}

HistoryFile::Contents HistoryFile::parsePadded(const char* data, std::size_t size)
{
    Contents out;
    simdjson::dom::parser parser;
    Interned intern;
    out.records.reserve(qsizetype(std::count(data, data + size, '\n')));
    std::size_t start = 0;
    bool lastLineDamaged = false;
    while (start < size) {
        const void* newline = std::memchr(data + start, '\n', size - start);
        if (!newline) {
            // A line without its end: the write that made it never finished.
            out.damagedTail = true;
            break;
        }
        const std::size_t end = std::size_t(static_cast<const char*>(newline) - data);
        HistoryRecord record;
        const auto outcome = end == start
            ? LineOutcome::damaged
            : parseLine(parser, intern, data + start, end - start, record);
        lastLineDamaged = outcome == LineOutcome::damaged;
        if (outcome == LineOutcome::record)
            out.records.append(std::move(record));
        else if (outcome == LineOutcome::unknownKind)
            ++out.unknownKinds;
        else
            ++out.damagedLines;
        if (!lastLineDamaged)
            out.wholeBytes = qint64(end + 1);
        start = end + 1;
    }
    // A damaged last line is the tail, not a line skipped in the middle.
    if (lastLineDamaged) {
        out.damagedTail = true;
        --out.damagedLines;
    }
    if (!out.damagedTail)
        out.wholeBytes = qint64(size);
    return out;
}

std::expected<HistoryFile::Contents, QString> HistoryFile::read(const QString& filePath)
{
    QFile file(filePath);
    if (!file.exists())
        return Contents {};
    if (!file.open(QIODevice::ReadOnly))
        return std::unexpected(file.errorString());
    // Read straight into a buffer with simdjson's padding: a full history is tens of MB, and a
    // second copy costs as much as the parse. The file may grow meanwhile (an append); what is
    // beyond the size read first is left for the next reading.
    const qint64 size = file.size();
    // Only the padding needs zeros; the read fills the rest, so tens of MB are not cleared first.
    QByteArray bytes;
    bytes.resize(size + qsizetype(simdjson::SIMDJSON_PADDING));
    std::memset(bytes.data() + size, 0, simdjson::SIMDJSON_PADDING);
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(bytes.data() + got, size - got);
        if (n < 0)
            return std::unexpected(file.errorString());
        if (n == 0)
            break;
        got += n;
    }
    return parsePadded(bytes.constData(), std::size_t(got));
}

QList<HistoryRecord> HistoryFile::kept(QList<HistoryRecord> records, qint64 nowMs)
{
    const qint64 oldest = nowMs - kKeepMs;
    records.removeIf([oldest](const HistoryRecord& record) { return record.at < oldest; });
    if (records.size() > kMaxRecords)
        records.remove(0, records.size() - kMaxRecords);
    return records;
}

std::expected<qsizetype, QString> HistoryFile::tidy(const QString& filePath, qint64 nowMs)
{
    auto contents = read(filePath);
    if (!contents)
        return std::unexpected(contents.error());
    // A file copied in or restored from a backup may be readable by others; it holds messages.
    if (QFileInfo::exists(filePath))
        QFile::setPermissions(filePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (contents->damagedLines > 0)
        qCWarning(lcHistory, "History file %s: skipped %lld damaged line(s)",
            qUtf8Printable(filePath), static_cast<long long>(contents->damagedLines));
    const qsizetype before = contents->records.size();
    QList<HistoryRecord> keep = kept(std::move(contents->records), nowMs);
    const qsizetype dropped = before - keep.size();
    if (dropped > 0 || contents->damagedLines > 0) {
        // Records of kinds a newer program wrote go too: this program cannot write them back.
        QByteArray bytes;
        for (const HistoryRecord& record : std::as_const(keep))
            bytes += record.toLine();
        if (auto written = writePrivateFile(filePath, bytes); !written)
            return std::unexpected(written.error());
        if (contents->damagedTail)
            qCWarning(lcHistory,
                "History file %s ended in a damaged record; cut at the last "
                "whole record",
                qUtf8Printable(filePath));
        return dropped;
    }
    if (contents->damagedTail) {
        qCWarning(lcHistory,
            "History file %s ended in a damaged record; cut at the last whole record",
            qUtf8Printable(filePath));
        if (!QFile::resize(filePath, contents->wholeBytes))
            return std::unexpected(u"cannot cut the damaged end"_s);
    }
    return 0;
}

std::expected<void, QString> HistoryFile::append(int fd, const QByteArray& lines)
{
    struct stat info { };
    if (::fstat(fd, &info) != 0)
        return std::unexpected(errnoText());
    const off_t before = info.st_size;
    qsizetype written = 0;
    while (written < lines.size()) {
        const ssize_t n
            = ::write(fd, lines.constData() + written, std::size_t(lines.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const QString error = n < 0 ? errnoText() : u"nothing written"_s;
            // Half a line would join the next one; the file ends where it ended.
            if (::ftruncate(fd, before) != 0)
                return std::unexpected(
                    error + u"; and cannot cut the partial line: "_s + errnoText());
            return std::unexpected(error);
        }
        written += n;
    }
    return {};
}

HistoryWriter::HistoryWriter(QString filePath, std::optional<qint64> tidyAtMs)
    : m_filePath(std::move(filePath))
    , m_thread([this, tidyAtMs] { run(tidyAtMs); })
{
}

HistoryWriter::~HistoryWriter()
{
    {
        std::unique_lock lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void HistoryWriter::append(QList<HistoryRecord> records)
{
    if (records.isEmpty())
        return;
    {
        std::unique_lock lock(m_mutex);
        m_waiting.append(std::move(records));
    }
    m_wake.notify_all();
}

void HistoryWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_waiting.isEmpty() && !m_writing; });
}

void HistoryWriter::run(std::optional<qint64> tidyAtMs)
{
    if (tidyAtMs) {
        const auto tidied = HistoryFile::tidy(m_filePath, *tidyAtMs);
        if (!tidied)
            qCWarning(lcHistory, "Could not tidy the history file %s: %s",
                qUtf8Printable(m_filePath), qUtf8Printable(tidied.error()));
        else if (*tidied > 0)
            qCInfo(
                lcHistory, "History: %lld old record(s) trimmed", static_cast<long long>(*tidied));
    }
    const QByteArray path = QFile::encodeName(m_filePath);
    int fd = -1;
    // Lines that failed to go out, written before the next batch.
    QByteArray unsent;
    qsizetype unsentCount = 0;
    bool failing = false;

    std::unique_lock lock(m_mutex);
    for (;;) {
        m_writing = false;
        m_idle.notify_all();
        m_wake.wait(lock, [this] { return !m_waiting.isEmpty() || m_stopping; });
        if (m_waiting.isEmpty() && unsent.isEmpty())
            break;
        const bool last = m_stopping;
        const QList<HistoryRecord> batch = std::exchange(m_waiting, {});
        m_writing = true;
        lock.unlock();

        QByteArray lines = std::exchange(unsent, {});
        for (const HistoryRecord& record : batch)
            lines += record.toLine();
        const qsizetype count = std::exchange(unsentCount, 0) + batch.size();
        if (fd < 0)
            fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        std::expected<void, QString> outcome = std::unexpected(QString());
        if (fd < 0)
            outcome = std::unexpected(errnoText());
        else
            outcome = HistoryFile::append(fd, lines);
        if (outcome) {
            if (failing)
                qCInfo(lcHistory, "History file written again");
            failing = false;
        } else {
            if (!failing)
                qCCritical(lcHistory,
                    "Could not write the history file %s: %s; will try again with the next record",
                    qUtf8Printable(m_filePath), qUtf8Printable(outcome.error()));
            failing = true;
            unsent = std::move(lines);
            unsentCount = count;
            while (unsentCount > kMaxWaiting) {
                unsent.remove(0, unsent.indexOf('\n') + 1);
                --unsentCount;
            }
        }
        lock.lock();
        if (last && !m_waiting.isEmpty())
            continue;
        if (last) {
            if (unsentCount > 0)
                qCCritical(lcHistory, "History: %lld record(s) could not be written",
                    static_cast<long long>(unsentCount));
            break;
        }
    }
    m_writing = false;
    m_idle.notify_all();
    if (fd >= 0)
        ::close(fd);
}

} // namespace halyard
