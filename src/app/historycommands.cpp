#include "app/historycommands.h"

#include "history/historyfile.h"
#include "history/shiftreport.h"
#include "settings/memorykeychain.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kSince = u"since"_s;
const QString kChannel = u"channel"_s;
const QString kJson = u"json"_s;
const QString kFormat = u"format"_s;

// Who took the alert out, for one line of the history.
QString ackedByText(const AlertLife& life)
{
    if (life.byTeammate()) {
        const QString who = !life.byName.isEmpty() ? life.byName
            : !life.by.isEmpty()
            ? life.by
            : QCoreApplication::translate("halyard::HistoryCommands", "a teammate");
        return QCoreApplication::translate("halyard::HistoryCommands", "by %1 (reaction)").arg(who);
    }
    switch (life.ackedBy.value_or(AlertEvent::ackedInPanel)) {
    case AlertEvent::ackedOnBanner:
        return QCoreApplication::translate("halyard::HistoryCommands", "by you (banner)");
    case AlertEvent::ackedOverBus:
        return QCoreApplication::translate("halyard::HistoryCommands", "by you (bus or command)");
    case AlertEvent::ackedAll:
        return QCoreApplication::translate("halyard::HistoryCommands", "by you (Acknowledge All)");
    default:
        return QCoreApplication::translate("halyard::HistoryCommands", "by you (panel)");
    }
}

QString ackedByKey(const AlertLife& life)
{
    return life.ackedBy ? eventName(*life.ackedBy) : QString();
}

// Control characters out, so a message cannot drive the terminal.
QString oneLine(QString text)
{
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u' ';
    return text;
}

QJsonObject lifeJson(const AlertLife& life)
{
    const auto seconds = [](qint64 ms) { return double(ms) / 1000.0; };
    QJsonObject out { { "id"_L1, life.alertId }, { "channelId"_L1, life.channelId },
        { "channel"_L1, life.channelName }, { "senderId"_L1, life.sender },
        { "sender"_L1, life.senderName }, { "text"_L1, life.text },
        { "posted"_L1, seconds(life.postedAt) }, { "arrived"_L1, seconds(life.arrivedAt) },
        { "catchUp"_L1, life.catchUp } };
    if (life.ackedAt) {
        out.insert("acknowledged"_L1, seconds(*life.ackedAt));
        out.insert("secondsToAcknowledge"_L1, seconds(*life.timeToAck()));
        out.insert("how"_L1, ackedByKey(life));
        out.insert("byId"_L1, life.by);
        out.insert("by"_L1, life.byName);
        if (life.stage)
            out.insert("stage"_L1, stageKey(*life.stage));
    }
    return out;
}

AgingPolicy userPolicy(const Profile& profile)
{
    PreferenceStore preferences(profile.configFolder());
    MemoryKeychain keychain;
    return SettingsStore(keychain, preferences).agingPolicy();
}

} // namespace

void addHistoryCommandOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(kSince,
        QCoreApplication::translate("halyard::HistoryCommands",
            "history, report: the period, as 12h, 7d or a date (2026-12-01); history: "
            "24h and report: 12h unless given."),
        QCoreApplication::translate("halyard::HistoryCommands", "since")));
    parser.addOption(QCommandLineOption(kChannel,
        QCoreApplication::translate(
            "halyard::HistoryCommands", "history: only this channel (its name or id)."),
        QCoreApplication::translate("halyard::HistoryCommands", "channel")));
}

bool isHistoryCommand(const QString& word)
{
    return word == u"history" || word == u"report";
}

std::optional<QString> historyCommandUsageError(const QCommandLineParser& parser)
{
    const QStringList words = parser.positionalArguments();
    const QString command = isHistoryCommand(words.value(0)) ? words.value(0) : QString();
    if (parser.isSet(kSince) && command.isEmpty())
        return QCoreApplication::translate("halyard::HistoryCommands",
            "--since belongs to \"halyard history\", \"halyard report\"");
    if (parser.isSet(kChannel) && command != u"history")
        return QCoreApplication::translate(
            "halyard::HistoryCommands", "--channel belongs to \"halyard history\"");
    if (command.isEmpty())
        return std::nullopt;
    if (words.size() > 1)
        return QCoreApplication::translate("halyard::QueueCommands", "%1 takes no arguments")
            .arg(command);
    if (parser.isSet(kSince) && !parseSince(parser.value(kSince), 0))
        return QCoreApplication::translate(
            "halyard::HistoryCommands", "--since is a span (30m, 12h, 7d) or a date (2026-12-01)");
    if (parser.isSet(kFormat) && command == u"report" && parser.value(kFormat) != u"markdown"
        && parser.value(kFormat) != u"text")
        return QCoreApplication::translate(
            "halyard::HistoryCommands", "--format is markdown or text");
    if (parser.isSet(kFormat) && parser.isSet(kJson))
        return QCoreApplication::translate(
            "halyard::QueueCommands", "--json and --format exclude each other");
    return std::nullopt;
}

int runHistoryCommand(const QCommandLineParser& parser, const Profile& profile)
{
    const bool report = parser.positionalArguments().value(0) == u"report";
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QString since = parser.isSet(kSince) ? parser.value(kSince)
        : report                               ? u"12h"_s
                                               : u"24h"_s;
    const qint64 from = parseSince(since, now).value_or(now);
    QTextStream err(stderr);
    const QString path = profile.dataFolder() + u"/history.jsonl"_s;
    const auto contents = HistoryFile::read(path);
    if (!contents) {
        err << QCoreApplication::translate(
            "halyard::HistoryCommands", "Cannot read the history %1: %2")
                   .arg(path, contents.error())
            << Qt::endl;
        return 1;
    }
    if (contents->damagedLines > 0)
        err << QCoreApplication::translate("halyard::HistoryCommands", "%1: skipped damaged lines")
                   .arg(path)
            << Qt::endl;
    const QList<AlertLife> lives
        = livesSince(foldLives(contents->records), from, parser.value(kChannel));
    QTextStream out(stdout);
    if (report) {
        const auto summary = ShiftReport::compute(lives, from, now, userPolicy(profile));
        if (parser.isSet(kJson))
            out << QJsonDocument(summary.toJson()).toJson(QJsonDocument::Compact) << Qt::endl;
        else if (parser.value(kFormat) == u"markdown")
            out << summary.toMarkdown();
        else
            out << summary.toText();
        return 0;
    }
    if (parser.isSet(kJson)) {
        QJsonArray all;
        for (const AlertLife& life : lives)
            all.append(lifeJson(life));
        out << QJsonDocument(all).toJson(QJsonDocument::Compact) << Qt::endl;
        return 0;
    }
    for (const AlertLife& life : lives) {
        const QString channel
            = u'#' + (life.channelName.isEmpty() ? life.channelId : life.channelName);
        const QString sender = life.senderName.isEmpty() ? life.sender : life.senderName;
        const QString outcome = life.ackedAt
            ? QCoreApplication::translate("halyard::HistoryCommands", "acknowledged after %1 %2")
                  .arg(formatDuration(*life.timeToAck()), ackedByText(life))
            : QCoreApplication::translate("halyard::HistoryCommands", "waiting");
        // Tab-separated like "halyard list"; the text last.
        out << QDateTime::fromMSecsSinceEpoch(life.arrivedAt).toString(u"yyyy-MM-dd HH:mm"_s)
            << '\t' << oneLine(channel) << '\t' << oneLine(sender) << '\t' << outcome << '\t'
            << oneLine(life.text) << '\n';
    }
    out.flush();
    return 0;
}

} // namespace halyard
