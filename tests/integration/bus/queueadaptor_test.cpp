#include "bus/queueadaptor.h"
#include "bus/remotecontrol.h"
#include "common/privatebus.h"
#include "history/historyrecorder.h"
#include "queue/alertstore.h"
#include "service/appcore.h"
#include "settings/memorykeychain.h"

#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// The queue interface in process, on the core the programs build, without the program around it.
class QueueAdaptorTest : public ::testing::Test {
protected:
    QueueAdaptorTest()
    {
        // Thousands of alerts are enqueued below, each a debug line otherwise.
        QLoggingCategory::setFilterRules(u"com.corvane.Halyard.alerts.debug=false"_s);
        // Row per alert: the bounds are what these cases measure.
        m_core.alertStore().setFolding(false);
    }
    ~QueueAdaptorTest() override
    {
        QLoggingCategory::setFilterRules(u"com.corvane.Halyard.*.debug=true"_s);
    }

    Alert alert(int n, const QString& text, double age = 10) const
    {
        const QString ts = QString::number(1700000000 + n) + u".000100"_s;
        return { Alert::makeId(u"C1"_s, ts), u"C1"_s, ts, u"U1"_s, text,
            currentReferenceTime() - age, std::nullopt };
    }
    void enqueue(int count, const QString& text)
    {
        // New ids each time: acknowledged ones are never queued again.
        for (int n = 0; n < count; ++n)
            m_core.alertStore().enqueue(alert(m_next++, text));
    }
    std::pair<QList<QVariantMap>, int> list()
    {
        int leftOut = -1;
        auto rows = m_adaptor.List(leftOut);
        return { rows, leftOut };
    }

    int m_next = 0;
    QTemporaryDir m_home;
    AppCore m_core { std::make_unique<MemoryKeychain>(),
        Profile { m_home.filePath(u"data"_s), m_home.filePath(u"config"_s), {}, false }, false };
    QObject m_busObject;
    QueueAdaptor m_adaptor { m_core, &m_busObject };
};

// Status bars read the properties and scripts the list in between the store's announcements:
// both must tell the same queue at any moment.
TEST_F(QueueAdaptorTest, PropertiesAgreeWithTheListBeforeAnyAnnouncement)
{
    const QStringList stages = { u"fresh"_s, u"aging"_s, u"stale"_s, u"overdue"_s };
    AlertStore& store = m_core.alertStore();
    const std::function<void()> steps[] = {
        [&] {
            store.enqueue(alert(1, u"a"_s, 4000));
            store.enqueue(alert(2, u"b"_s, 10));
            store.enqueue(alert(3, u"c"_s, 1000));
        },
        [&] { store.acknowledge(alert(2, {})); },
        [&] { store.removeBySource(u"C1"_s, alert(1, {}).ts); },
        [&] { store.acknowledge(alert(3, {})); },
    };
    for (const auto& step : steps) {
        step();
        const auto [rows, leftOut] = list();
        QList<AgeStage> listed;
        for (const QVariantMap& row : rows)
            listed.append(AgeStage(stages.indexOf(row.value(u"stage"_s).toString())));
        EXPECT_EQ(leftOut, 0);
        EXPECT_EQ(m_adaptor.count(), rows.size());
        EXPECT_EQ(m_adaptor.overdueCount(), listed.count(AgeStage::overdue));
        EXPECT_EQ(m_adaptor.health(), healthWord(queueHealthFromStages(listed)));
    }
    EXPECT_EQ(m_adaptor.count(), 0);
}

// Whatever the queue holds, the reply stays far below what the bus takes: texts are cut to what
// a row shows and marked, and what does not fit is counted, never sent.
TEST_F(QueueAdaptorTest, ListCutsTextsAndBoundsTheReply)
{
    struct Case {
        int alerts;
        QString text;
        qsizetype textLength;
        int leftOut;
    };
    const Case cases[] = {
        { 12, QString(200'000, u'x'), QueueAdaptor::kListTextLength, 0 },
        // Links longer than a row: what shows is read, not the whole message.
        { 1, QString(40'000, u'<') + u"https://x|y>"_s, QueueAdaptor::kListTextLength, 0 },
        { 2, QString(QueueAdaptor::kListTextLength, u'x'), QueueAdaptor::kListTextLength, 0 },
        { QueueAdaptor::kMaxListedAlerts + 10, u"short"_s, 5, 10 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alerts);
        for (const Alert& queued : QList<Alert>(m_core.alertStore().alerts()))
            m_core.alertStore().acknowledge(queued);
        enqueue(c.alerts, c.text);
        const auto [rows, leftOut] = list();
        EXPECT_EQ(leftOut, c.leftOut);
        EXPECT_EQ(rows.size() + leftOut, c.alerts);
        for (const QVariantMap& listed : rows) {
            const QString text = listed.value(u"text"_s).toString();
            EXPECT_LE(text.size(), c.textLength);
            EXPECT_GE(text.size(), c.textLength - 1);
            EXPECT_EQ(text.endsWith(u'…'), c.text.size() > QueueAdaptor::kListTextLength);
        }
    }
}

// Rows too long for the reply's byte bound all together: it ends with the last whole row that
// fits, as full as the bound allows, and counts the folded alerts it left out. The reply crosses
// a real bus, and the program stays on it.
TEST_F(QueueAdaptorTest, AFullListStopsAtItsByteBoundAndCrossesTheBus)
{
    test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << bus.error().toStdString();
    QDBusConnection program = bus.connect();
    ASSERT_TRUE(program.registerObject(
        u"/com/corvane/Halyard"_s, &m_busObject, QDBusConnection::ExportAdaptors));
    m_core.alertStore().setFolding(true);
    const int queuedRows = 1500; // below the count bound
    for (int n = 0; n < queuedRows; ++n)
        enqueue(2, QString(QueueAdaptor::kListTextLength, u'中') + u" on db-%1"_s.arg(n));
    const QDBusMessage call = QDBusMessage::createMethodCall(program.baseService(),
        u"/com/corvane/Halyard"_s, u"com.corvane.Halyard.Queue"_s, u"List"_s);
    QDBusPendingCallWatcher watcher(bus.connect().asyncCall(call, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.isFinished(); }, 30000));
    const QDBusMessage reply = watcher.reply();
    ASSERT_EQ(reply.signature(), u"aa{sv}i"_s) << reply.errorMessage().toStdString();
    const auto rows = qdbus_cast<QList<QVariantMap>>(reply.arguments().value(0));
    EXPECT_LT(rows.size(), queuedRows);
    EXPECT_EQ(reply.arguments().value(1).toInt(), 2 * (queuedRows - rows.size()));
    qsizetype bytes = 0;
    for (const QVariantMap& row : rows) {
        EXPECT_EQ(row.value(u"count"_s).toInt(), 2);
        EXPECT_TRUE(row.value(u"text"_s).toString().endsWith(u'…'));
        bytes += row.value(u"text"_s).toString().toUtf8().size();
    }
    EXPECT_LE(bytes, QueueAdaptor::kMaxListBytes);
    EXPECT_GT(bytes, QueueAdaptor::kMaxListBytes * 3 / 4) << "cut early";
    EXPECT_TRUE(program.isConnected());
}

// The composition root keeps the history in the data folder: the bus's Ack and AckAll are told
// apart there, as is an arrival.
TEST_F(QueueAdaptorTest, AcksOverTheBusLandInTheHistoryWithTheirCause)
{
    enqueue(3, u"disk full"_s);
    m_adaptor.Ack(m_core.alertStore().alerts().first().id, QDBusMessage());
    EXPECT_EQ(m_adaptor.AckAll(), 2);
    ASSERT_NE(m_core.historyRecorder(), nullptr);
    m_core.historyRecorder()->flush();
    const auto contents = HistoryFile::read(m_home.filePath(u"data/Halyard/history.jsonl"_s));
    ASSERT_TRUE(contents.has_value());
    QStringList events;
    for (const HistoryRecord& record : contents->records)
        events.append(eventName(record.event));
    EXPECT_EQ(events,
        QStringList({ u"arrived"_s, u"arrived"_s, u"arrived"_s, u"ack-bus"_s, u"ack-all"_s,
            u"ack-all"_s }));
}

// One interface of an introspection document, an element per line with its attributes sorted:
// what callers and generated proxies rely on, without the document's layout.
QStringList outline(const QString& xml, const QString& interface)
{
    QStringList lines;
    QXmlStreamReader reader(xml);
    int depth = -1;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isStartElement()) {
            if (depth < 0 && reader.name() == u"interface"
                && reader.attributes().value(u"name"_s) == interface) {
                depth = 0;
                continue;
            }
            if (depth < 0)
                continue;
            QStringList attributes;
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                attributes.append(attribute.name() + u'=' + attribute.value());
            attributes.sort();
            lines.append(QString(2 * depth++, u' ') + reader.name() + u' ' + attributes.join(u' '));
        } else if (reader.isEndElement() && depth >= 0 && depth-- == 0) {
            break;
        }
    }
    return lines;
}

QString readResource(const QString& name)
{
    QFile file(QStringLiteral(HALYARD_RESOURCES_DIR) + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Scripts, status bars and generated proxies are written against the published interface files:
// the adaptors must serve exactly what those say.
TEST_F(QueueAdaptorTest, TheServedInterfacesAreThePublishedOnes)
{
    test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << bus.error().toStdString();
    QDBusConnection program = bus.connect();
    DesktopRemoteControl desktop(m_core);
    CoreRemoteControl headless(m_core);
    const auto served = [&](QObject* object, const QString& path) {
        program.registerObject(
            path, object, QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAdaptors);
        const QDBusMessage reply
            = bus.connect().call(QDBusMessage::createMethodCall(program.baseService(), path,
                                     u"org.freedesktop.DBus.Introspectable"_s, u"Introspect"_s),
                QDBus::BlockWithGui);
        return reply.arguments().value(0).toString();
    };
    const QString desktopXml = served(&desktop, kObjectPath.toString());
    const QString headlessXml = served(&headless, u"/headless"_s);
    const struct {
        QStringView interface;
        QString file;
    } published[] = {
        { kQueueInterface, u"com.corvane.Halyard.Queue.xml"_s },
        { kControlInterface, u"com.corvane.Halyard.xml"_s },
    };
    for (const auto& [interface, file] : published) {
        SCOPED_TRACE(file.toStdString());
        const QStringList expected = outline(readResource(file), interface.toString());
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(outline(desktopXml, interface.toString()), expected) << desktopXml.toStdString();
        // The headless program serves the same queue, and of the control only what needs no
        // window.
        const QStringList headlessLines = outline(headlessXml, interface.toString());
        for (const QString& line : headlessLines)
            EXPECT_TRUE(expected.contains(line)) << line.toStdString();
        if (interface == kQueueInterface) {
            EXPECT_EQ(headlessLines, expected);
        }
    }
}

} // namespace
