#include "bus/queuecommands.h"

#include "bus/busnames.h"
#include "bus/remotecontrol.h"
#include "common/logging.h"
#include "queue/snoozetimer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// status --follow outlived its session bus: a failure, so that the bar starts it again.
constexpr int kBusClosedStatus = 1;
const QString kJson = u"json"_s;
const QString kAll = u"all"_s;
const QString kFollow = u"follow"_s;
const QString kFormat = u"format"_s;
const QStringList kFormats = { u"waybar"_s, u"i3bar"_s, u"text"_s };

constexpr int kCallTimeoutMs = 5000;
// The longest a string from the running copy is shown; it is another program's word.
constexpr qsizetype kMaxFieldLength = 2000;

// A peer's string made safe for a terminal and for one line: control and format characters
// (escape sequences, line breaks, direction overrides) become spaces; cut to a sane length.
QString printable(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<QString>())
        return {};
    QString out;
    for (const char32_t c : value.toString().left(kMaxFieldLength).toUcs4()) {
        const auto category = QChar::category(c);
        const bool shown = category != QChar::Other_Control && category != QChar::Other_Format
            && category != QChar::Separator_Line && category != QChar::Separator_Paragraph
            && category != QChar::Other_NotAssigned && category != QChar::Other_Surrogate;
        out += shown ? QString::fromUcs4(&c, 1) : u" "_s;
    }
    return out;
}

QDBusMessage queueCall(const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kBusName.toString(), kObjectPath.toString(), kQueueInterface.toString(), method);
    call.setArguments(arguments);
    return call;
}

QDBusMessage propertiesCall()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kBusName.toString(), kObjectPath.toString(),
        u"org.freedesktop.DBus.Properties"_s, u"GetAll"_s);
    call << kQueueInterface.toString();
    return call;
}

// Says why a call got no reply; returns the exit status.
int failed(const QDBusMessage& reply)
{
    QTextStream err(stderr);
    if (noRunningCopy(reply)) {
        err << QCoreApplication::translate("halyard::CommandLine", "Halyard is not running.")
            << Qt::endl;
        return 3;
    }
    err << QCoreApplication::translate(
        "halyard::QueueCommands", "Halyard did not take the request: %1")
               .arg(printable(reply.errorMessage()))
        << Qt::endl;
    return 1;
}

QDBusMessage callRunningCopy(const QDBusMessage& call)
{
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
}

bool answered(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

void unexpectedAnswer()
{
    QTextStream(stderr) << QCoreApplication::translate(
        "halyard::QueueCommands", "The running Halyard gave an answer this command cannot read.")
                        << Qt::endl;
}

// The queue's state as the running copy reports it; absent when its answer is not one.
struct Status {
    ConnectionState::Kind connection = ConnectionState::Kind::disconnected;
    QueueHealth health = QueueHealth::allClear;
    int count = 0;
    int overdue = 0;
    // Zero from a copy that snoozes nothing.
    int snoozed = 0;
};

std::optional<Status> readStatus(const QDBusMessage& reply)
{
    if (reply.signature() != u"a{sv}"_s)
        return std::nullopt;
    const auto properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
    const auto number = [&](QStringView name) {
        const QVariant value = properties.value(name.toString());
        return value.metaType() == QMetaType::fromType<int>() ? value.toInt() : -1;
    };
    const auto connection = connectionFromWord(
        properties.value(queueproperty::connectionState.toString()).toString());
    const auto health
        = healthFromWord(properties.value(queueproperty::health.toString()).toString());
    const Status status { connection.value_or(ConnectionState::Kind::disconnected),
        health.value_or(QueueHealth::allClear), number(queueproperty::count),
        number(queueproperty::overdueCount),
        properties.contains(queueproperty::snoozedCount.toString())
            ? number(queueproperty::snoozedCount)
            : 0 };
    if (!connection || !health || status.count < 0 || status.overdue < 0
        || status.overdue > status.count || status.snoozed < 0)
        return std::nullopt;
    return status;
}

QString connectionText(ConnectionState::Kind connection)
{
    switch (connection) {
    case ConnectionState::Kind::connected:
        return QCoreApplication::translate("halyard::QueueCommands", "Connected");
    case ConnectionState::Kind::connecting:
        return QCoreApplication::translate("halyard::QueueCommands", "Connecting");
    case ConnectionState::Kind::error:
        return QCoreApplication::translate("halyard::QueueCommands", "Connection failed");
    case ConnectionState::Kind::disconnected:
        break;
    }
    return QCoreApplication::translate("halyard::QueueCommands", "Not connected");
}

QString healthText(QueueHealth health)
{
    switch (health) {
    case QueueHealth::allClear:
        return QCoreApplication::translate("halyard::QueueCommands", "all clear");
    case QueueHealth::hasAlerts:
        return QCoreApplication::translate("halyard::QueueCommands", "alerts waiting");
    case QueueHealth::halfAged:
        return QCoreApplication::translate("halyard::QueueCommands", "half of the alerts aging");
    case QueueHealth::mostlyAged:
        break;
    }
    return QCoreApplication::translate("halyard::QueueCommands", "most alerts aging");
}

// The i3bar block's colour per health, in the order of QueueHealth.
QString healthColour(QueueHealth health)
{
    switch (health) {
    case QueueHealth::allClear:
        return u"#5fb760"_s;
    case QueueHealth::hasAlerts:
        return u"#e5c07b"_s;
    case QueueHealth::halfAged:
        return u"#f0883e"_s;
    case QueueHealth::mostlyAged:
        break;
    }
    return u"#e05252"_s;
}

QString compact(const QJsonValue& value)
{
    return QString::fromUtf8(value.isArray()
            ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

// One line in the chosen format; no status: no copy runs.
QString statusLine(const std::optional<Status>& status, const QString& format)
{
    QString human = status
        ? QCoreApplication::translate(
            "halyard::QueueCommands", "%1 · %n alerts · %2 %3 · %4 overdue", "", status->count)
              .arg(connectionText(status->connection), healthSymbol(status->health),
                  healthText(status->health), QString::number(status->overdue))
        : QCoreApplication::translate("halyard::CommandLine", "Halyard is not running.");
    if (status && status->snoozed > 0)
        human += QCoreApplication::translate("halyard::QueueCommands", " · 💤 %1 snoozed")
                     .arg(status->snoozed);
    const QString bar
        = status ? healthSymbol(status->health) + u' ' + QString::number(status->count) : QString();
    // A class per health, and one for a connection that is down, for the bar's style sheet.
    QJsonArray classes;
    if (status) {
        classes.append(healthWord(status->health));
        if (status->connection != ConnectionState::Kind::connected)
            classes.append(connectionWord(status->connection));
    } else {
        classes.append(u"not-running"_s);
    }
    if (format == kJson) {
        if (!status)
            return compact(QJsonObject { { u"running"_s, false } });
        return compact(QJsonObject { { u"running"_s, true },
            { u"connection"_s, connectionWord(status->connection) }, { u"count"_s, status->count },
            { u"health"_s, healthWord(status->health) }, { u"overdue"_s, status->overdue },
            { u"snoozed"_s, status->snoozed } });
    }
    if (format == u"waybar")
        return compact(QJsonObject { { u"text"_s, bar }, { u"alt"_s, classes.first() },
            { u"tooltip"_s, human }, { u"class"_s, classes } });
    if (format == u"i3bar") {
        QJsonObject block { { u"full_text"_s, bar },
            { u"short_text"_s, status ? QString::number(status->count) : QString() },
            { u"name"_s, u"halyard"_s }, { u"instance"_s, classes.first() } };
        if (status && status->connection == ConnectionState::Kind::connected)
            block.insert(u"color"_s, healthColour(status->health));
        return compact(block);
    }
    if (format == u"text")
        return status ? bar : QString();
    return human;
}

QString chosenFormat(const QCommandLineParser& parser)
{
    if (parser.isSet(kJson))
        return kJson;
    return parser.isSet(kFormat) ? parser.value(kFormat) : QString();
}

// Prints the status line at the start and after every change the running copy announces, and
// keeps going while it stops and starts again.
class StatusFollower : public QObject {
    Q_OBJECT
public:
    explicit StatusFollower(QString format)
        : m_format(std::move(format))
        , m_watcher(kBusName.toString(), QDBusConnection::sessionBus(),
              QDBusServiceWatcher::WatchForOwnerChange)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(kBusName.toString(), kObjectPath.toString(), kQueueInterface.toString(),
            u"Changed"_s, this, SLOT(changed()));
        bus.connect(kBusName.toString(), kObjectPath.toString(),
            u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s, this, SLOT(changed()));
        connect(
            &m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &StatusFollower::changed);
        // A bar keeps followers running until they exit: one whose session (and bus) ended would
        // otherwise idle on, and the bar of the next session would not start a fresh one. The
        // local signal says it at once; the check catches a bus that went without saying.
        bus.connect(QString(), u"/org/freedesktop/DBus/Local"_s, u"org.freedesktop.DBus.Local"_s,
            u"Disconnected"_s, this, SLOT(busClosed()));
        m_busCheck.setInterval(kBusCheckIntervalMs);
        connect(&m_busCheck, &QTimer::timeout, this, [this] {
            if (!QDBusConnection::sessionBus().isConnected())
                busClosed();
        });
        m_busCheck.start();
        changed();
    }

    static constexpr int kBusCheckIntervalMs = 2000;

public slots:
    void changed()
    {
        // One question at a time; a change meanwhile asks once more when the answer is in.
        if (m_asking) {
            m_askAgain = true;
            return;
        }
        m_asking = true;
        auto* watcher = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(propertiesCall(), kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
            watcher->deleteLater();
            const QDBusMessage reply = watcher->reply();
            if (reply.type() == QDBusMessage::ReplyMessage)
                show(readStatus(reply));
            else if (noRunningCopy(reply))
                show(std::nullopt);
            m_asking = false;
            if (std::exchange(m_askAgain, false))
                changed();
        });
    }

    void busClosed()
    {
        m_busCheck.stop();
        qCWarning(lcApp, "The session bus closed; status --follow ends");
        QCoreApplication::exit(kBusClosedStatus);
    }

private:
    void show(const std::optional<Status>& status)
    {
        const QString line = statusLine(status, m_format);
        if (line == m_shown)
            return;
        m_shown = line;
        QTextStream(stdout) << line << Qt::endl;
    }

    QString m_format;
    QDBusServiceWatcher m_watcher;
    QTimer m_busCheck;
    QString m_shown;
    bool m_asking = false;
    bool m_askAgain = false;
};

int runStatus(const QCommandLineParser& parser)
{
    const QString format = chosenFormat(parser);
    if (parser.isSet(kFollow)) {
        if (!QDBusConnection::sessionBus().isConnected()) {
            QTextStream(stderr) << QCoreApplication::translate(
                "halyard::CommandLine", "Halyard is not running.")
                                << Qt::endl;
            return 3;
        }
        StatusFollower follower(format);
        return QCoreApplication::exec();
    }
    const QDBusMessage reply = callRunningCopy(propertiesCall());
    if (!answered(reply))
        return failed(reply);
    const auto status = readStatus(reply);
    if (!status) {
        unexpectedAnswer();
        return 1;
    }
    QTextStream(stdout) << statusLine(status, format) << Qt::endl;
    return 0;
}

QDateTime timeOf(const QVariant& value)
{
    const double seconds
        = value.metaType() == QMetaType::fromType<double>() ? value.toDouble() : std::nan("");
    return std::isfinite(seconds) && std::abs(seconds) < 1e11
        ? QDateTime::fromSecsSinceEpoch(qint64(seconds))
        : QDateTime();
}

// Prints rows of List() or ListSnoozed(); false when the answer is not such a list.
bool printRows(const QDBusMessage& reply, bool json, bool snoozed, QJsonArray& out)
{
    if (reply.signature() != u"aa{sv}i"_s && reply.signature() != u"aa{sv}"_s)
        return false;
    const auto rows = qdbus_cast<QList<QVariantMap>>(reply.arguments().value(0));
    const int leftOut = std::max(0, reply.arguments().value(1).toInt());
    QTextStream stream(stdout);
    for (const QVariantMap& row : rows) {
        const QDateTime time = timeOf(row.value(u"received"_s));
        QJsonObject fields;
        for (const char* name : { "id", "channel", "channelId", "author", "text", "stage" })
            fields.insert(QLatin1String(name), printable(row.value(QLatin1String(name))));
        // A copy from before rows folded lists single alerts.
        QStringList members;
        for (const QString& member : row.value(u"members"_s).toStringList())
            members.append(printable(member));
        if (members.isEmpty())
            members.append(fields[u"id"_s].toString());
        const int count = std::max<int>(1, row.value(u"count"_s).toInt());
        const QDateTime wake = timeOf(row.value(u"wake"_s));
        if (json) {
            fields.insert(u"received"_s,
                time.isValid() ? QJsonValue(row.value(u"received"_s).toDouble()) : QJsonValue());
            fields.insert(u"count"_s, count);
            fields.insert(u"members"_s, QJsonArray::fromStringList(members));
            if (snoozed)
                fields.insert(u"snoozedUntil"_s,
                    wake.isValid() ? QJsonValue(row.value(u"wake"_s).toDouble()) : QJsonValue());
            out.append(fields);
            continue;
        }
        const QString stage = snoozed
            ? QCoreApplication::translate("halyard::QueueCommands", "snoozed until %1")
                  .arg(wake.toString(u"yyyy-MM-dd HH:mm"_s))
            : fields[u"stage"_s].toString();
        // Tab-separated for cut and awk; the text last, as it may hold tabs of its own.
        stream << fields[u"id"_s].toString() << '\t' << stage << '\t'
               << time.toString(u"yyyy-MM-dd HH:mm"_s) << "\t#" << fields[u"channel"_s].toString()
               << '\t' << fields[u"author"_s].toString() << "\t×" << count << '\t'
               << members.join(u',') << '\t' << fields[u"text"_s].toString() << Qt::endl;
    }
    // On standard error, so the list stays what scripts read.
    if (leftOut > 0)
        QTextStream(stderr) << QCoreApplication::translate("halyard::QueueCommands",
            "%n newer alerts not listed: the list is limited in size.", "", leftOut)
                            << Qt::endl;
    return true;
}

int runList(const QCommandLineParser& parser)
{
    const bool json = parser.isSet(kJson);
    QJsonArray rows;
    const QDBusMessage reply = callRunningCopy(queueCall(u"List"_s));
    if (!answered(reply))
        return failed(reply);
    if (!printRows(reply, json, false, rows)) {
        unexpectedAnswer();
        return 1;
    }
    if (parser.isSet(kAll)) {
        const QDBusMessage snoozed = callRunningCopy(queueCall(u"ListSnoozed"_s));
        if (!answered(snoozed))
            return failed(snoozed);
        if (!printRows(snoozed, json, true, rows)) {
            unexpectedAnswer();
            return 1;
        }
    }
    if (json)
        QTextStream(stdout) << compact(rows) << Qt::endl;
    return 0;
}

// "halyard snooze|unsnooze|mute|unmute <id> [<duration>]".
int runQuiet(const QCommandLineParser& parser)
{
    const QStringList words = parser.positionalArguments();
    const QString& command = words.at(0);
    const QString id = words.value(1);
    QVariantList arguments { id };
    if (command == u"snooze" || command == u"mute")
        arguments.append(int(parseSnoozeDuration(words.value(2)).value_or(0)));
    static const QHash<QString, QString> methods { { u"snooze"_s, u"Snooze"_s },
        { u"unsnooze"_s, u"Unsnooze"_s }, { u"mute"_s, u"Mute"_s }, { u"unmute"_s, u"Unmute"_s } };
    const QDBusMessage reply = callRunningCopy(queueCall(methods.value(command), arguments));
    QTextStream out(stdout);
    if (reply.errorName() == kUnknownAlertError) {
        QTextStream(stderr) << (command == u"unmute"
                ? QCoreApplication::translate("halyard::QueueCommands", "No mute of %1 is active.")
                : command == u"unsnooze"
                ? QCoreApplication::translate("halyard::QueueCommands", "No alert %1 is snoozed.")
                : QCoreApplication::translate("halyard::QueueCommands", "No alert %1 is waiting."))
                                   .arg(printable(id))
                            << Qt::endl;
        return 1;
    }
    if (!answered(reply))
        return failed(reply);
    const int count = reply.arguments().value(0).toInt();
    if (command == u"snooze")
        out << QCoreApplication::translate(
            "halyard::QueueCommands", "Snoozed %n alerts.", "", count)
            << Qt::endl;
    else if (command == u"unsnooze")
        out << QCoreApplication::translate(
            "halyard::QueueCommands", "%n alerts are back.", "", count)
            << Qt::endl;
    else if (command == u"mute")
        out << QCoreApplication::translate("halyard::QueueCommands", "Muted alerts like %1.")
                   .arg(printable(id))
            << Qt::endl;
    else
        out << QCoreApplication::translate("halyard::QueueCommands", "Unmuted alerts like %1.")
                   .arg(printable(id))
            << Qt::endl;
    return 0;
}

int runMutes(const QCommandLineParser& parser)
{
    const QDBusMessage reply = callRunningCopy(queueCall(u"Mutes"_s));
    if (!answered(reply))
        return failed(reply);
    if (reply.signature() != u"aa{sv}"_s) {
        unexpectedAnswer();
        return 1;
    }
    QJsonArray json;
    QTextStream out(stdout);
    for (const QVariantMap& mute : qdbus_cast<QList<QVariantMap>>(reply.arguments().value(0))) {
        const QDateTime until = timeOf(mute.value(u"until"_s));
        QJsonObject fields;
        for (const char* name : { "id", "channel", "channelId", "text" })
            fields.insert(QLatin1String(name), printable(mute.value(QLatin1String(name))));
        const int arrived = std::max(0, mute.value(u"arrived"_s).toInt());
        if (parser.isSet(kJson)) {
            fields.insert(u"until"_s,
                until.isValid() ? QJsonValue(mute.value(u"until"_s).toDouble()) : QJsonValue());
            fields.insert(u"arrived"_s, arrived);
            json.append(fields);
            continue;
        }
        out << fields[u"id"_s].toString() << '\t' << until.toString(u"yyyy-MM-dd HH:mm"_s) << "\t#"
            << fields[u"channel"_s].toString() << '\t' << arrived << '\t'
            << fields[u"text"_s].toString() << Qt::endl;
    }
    if (parser.isSet(kJson))
        out << compact(json) << Qt::endl;
    return 0;
}

int runAck(const QCommandLineParser& parser)
{
    QTextStream out(stdout);
    if (parser.isSet(kAll)) {
        const QDBusMessage reply = callRunningCopy(queueCall(u"AckAll"_s));
        if (!answered(reply))
            return failed(reply);
        if (reply.signature() != u"i"_s || reply.arguments().value(0).toInt() < 0) {
            unexpectedAnswer();
            return 1;
        }
        // A plain variable: lupdate does not finish on a call chain in this place.
        const int count = reply.arguments().value(0).toInt();
        out << QCoreApplication::translate(
            "halyard::QueueCommands", "Acknowledged %n alerts.", "", count)
            << Qt::endl;
        return 0;
    }
    int status = 0;
    for (const QString& id : parser.positionalArguments().mid(1)) {
        const QDBusMessage reply = callRunningCopy(queueCall(u"Ack"_s, { id }));
        if (answered(reply)) {
            out << QCoreApplication::translate("halyard::QueueCommands", "Acknowledged %1.")
                       .arg(printable(id))
                << Qt::endl;
        } else if (reply.errorName() == kUnknownAlertError) {
            QTextStream(stderr) << QCoreApplication::translate(
                "halyard::QueueCommands", "No alert %1 is waiting.")
                                       .arg(printable(id))
                                << Qt::endl;
            status = 1;
        } else {
            return failed(reply);
        }
    }
    return status;
}

int runOpen(const QCommandLineParser& parser)
{
    const QString id = parser.positionalArguments().value(1);
    const QDBusMessage reply = callRunningCopy(queueCall(u"Open"_s, { id }));
    if (answered(reply))
        return 0;
    if (reply.errorName() == kUnknownAlertError) {
        QTextStream(stderr) << QCoreApplication::translate(
            "halyard::QueueCommands", "No alert %1 is waiting.")
                                   .arg(printable(id))
                            << Qt::endl;
        return 1;
    }
    return failed(reply);
}
} // namespace

void addQueueCommandOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        kJson, QCoreApplication::translate("halyard::QueueCommands", "list, status: print JSON.")));
    parser.addOption(QCommandLineOption(kAll,
        QCoreApplication::translate("halyard::QueueCommands",
            "ack: acknowledge every waiting alert; list: show snoozed alerts too.")));
    parser.addOption(QCommandLineOption(kFollow,
        QCoreApplication::translate(
            "halyard::QueueCommands", "status: print a line at every change until interrupted.")));
    parser.addOption(QCommandLineOption(kFormat,
        QCoreApplication::translate("halyard::QueueCommands",
            "status: the line's format for a status bar: waybar, i3bar or text."),
        QCoreApplication::translate("halyard::QueueCommands", "format")));
}

bool isQueueCommand(const QString& word)
{
    static const QStringList commands = { u"list"_s, u"ack"_s, u"open"_s, u"status"_s, u"snooze"_s,
        u"unsnooze"_s, u"mute"_s, u"unmute"_s, u"mutes"_s };
    return commands.contains(word);
}

std::optional<QString> queueCommandUsageError(const QCommandLineParser& parser)
{
    const QStringList words = parser.positionalArguments();
    const QString command = isQueueCommand(words.value(0)) ? words.value(0) : QString();
    const QStringList rest = words.mid(1);
    const std::pair<const QString&, QStringList> belongs[]
        = { { kJson, { u"list"_s, u"status"_s, u"mutes"_s, u"history"_s, u"report"_s } },
              { kAll, { u"ack"_s, u"list"_s } }, { kFollow, { u"status"_s } },
              { kFormat, { u"status"_s, u"report"_s } } };
    for (const auto& [option, commands] : belongs)
        if (parser.isSet(option) && !commands.contains(words.value(0)))
            return QCoreApplication::translate(
                "halyard::QueueCommands", "--%1 belongs to \"halyard %2\"")
                .arg(option, commands.join(u"\", \"halyard "_s));
    if (command.isEmpty())
        return std::nullopt;
    if (parser.isSet(kFormat) && !kFormats.contains(parser.value(kFormat)))
        return QCoreApplication::translate(
            "halyard::QueueCommands", "--format is waybar, i3bar or text");
    if (parser.isSet(kFormat) && parser.isSet(kJson))
        return QCoreApplication::translate(
            "halyard::QueueCommands", "--json and --format exclude each other");
    if (command == u"ack" && rest.isEmpty() != parser.isSet(kAll))
        return rest.isEmpty()
            ? QCoreApplication::translate("halyard::QueueCommands", "ack needs alert ids or --all")
            : QCoreApplication::translate("halyard::QueueCommands", "ack takes ids or --all");
    if (command == u"open" && rest.size() != 1)
        return QCoreApplication::translate("halyard::QueueCommands", "open takes one alert id");
    if ((command == u"snooze" || command == u"mute")
        && (rest.size() != 2 || !parseSnoozeDuration(rest.at(1))))
        return QCoreApplication::translate("halyard::QueueCommands",
            "%1 takes an alert id and a duration such as 90s, 15m, 1h or 2d")
            .arg(command);
    if ((command == u"unsnooze" || command == u"unmute") && rest.size() != 1)
        return QCoreApplication::translate("halyard::QueueCommands", "%1 takes one alert id")
            .arg(command);
    if ((command == u"list" || command == u"status" || command == u"mutes") && !rest.isEmpty())
        return QCoreApplication::translate("halyard::QueueCommands", "%1 takes no arguments")
            .arg(command);
    return std::nullopt;
}

int runQueueCommand(const QCommandLineParser& parser)
{
    const QString command = parser.positionalArguments().value(0);
    if (command == u"list")
        return runList(parser);
    if (command == u"ack")
        return runAck(parser);
    if (command == u"open")
        return runOpen(parser);
    if (command == u"mutes")
        return runMutes(parser);
    if (command != u"status")
        return runQuiet(parser);
    return runStatus(parser);
}

} // namespace halyard

#include "queuecommands.moc"
