#include "common/privatebus.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// Answers every call with what the test gives it: a copy of another version, or a faulty one.
class StandIn : public QDBusVirtualObject {
public:
    QVariantList answer;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        return connection.send(message.createReply(answer));
    }
    QString introspect(const QString&) const override { return {}; }
};

// What the list prints of answers this version did not write (the size limit's remainder, a
// proxy's page, fields of the wrong type); a follower ends with its bus, or the bar that
// restarts it never gets a fresh one.
TEST(StandIn, ListReadsOddAnswersAndStatusFollowEndsWithItsBus)
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
    QProcess follower;
    {
        test::PrivateBus bus;
        ASSERT_FALSE(bus.address().isEmpty()) << bus.error().toStdString();
        QDBusConnection connection = bus.connect();
        StandIn queue;
        ASSERT_TRUE(connection.registerVirtualObject(u"/com/corvane/Halyard"_s, &queue));
        ASSERT_TRUE(connection.interface()->registerService(u"com.corvane.Halyard"_s).isValid());
        const QVariantMap row { { u"id"_s, u"C1:1.1"_s }, { u"stage"_s, u"fresh"_s },
            { u"received"_s, 1764597600.0 }, { u"channel"_s, u"alerts"_s },
            { u"text"_s, u"disk"_s } };
        QVariantMap odd = row;
        odd.insert(
            { { u"received"_s, u"today"_s }, { u"count"_s, u"many"_s }, { u"author"_s, 7 } });
        const std::tuple<QVariantList, int, QString, QString> cases[] = {
            { { QVariant::fromValue(QList { row }), 2500 }, 0,
                u"C1:1.1\tfresh\t2025-12-01 14:00\t#alerts\t\t×1\tC1:1.1\tdisk\n"_s,
                u"2500 newer alerts not listed: the list is limited in size.\n"_s },
            { { QVariant::fromValue(QList { odd }), 0 }, 0, u"C1:1.1\tfresh\t\t#alerts\t\t×1\t"_s,
                {} },
            { { u"<html><body>502 Bad Gateway</body></html>"_s }, 1, {},
                u"The running Halyard gave an answer this command cannot read.\n"_s },
        };
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        env.insert(u"TZ"_s, u"UTC"_s);
        for (const auto& [answer, status, out, err] : cases) {
            queue.answer = answer;
            QProcess list;
            list.setProcessEnvironment(env);
            list.start(QStringLiteral(HALYARD_BINARY), { u"list"_s });
            // The event loop runs meanwhile, so that the stand-in answers.
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return list.state() == QProcess::NotRunning; }, 20000));
            EXPECT_EQ(list.exitCode(), status) << err.toStdString();
            EXPECT_TRUE(QString::fromUtf8(list.readAllStandardOutput()).startsWith(out));
            EXPECT_EQ(QString::fromUtf8(list.readAllStandardError()), err);
        }
        connection.interface()->unregisterService(u"com.corvane.Halyard"_s);
        follower.setProcessEnvironment(env);
        follower.start(QStringLiteral(HALYARD_BINARY), { u"status"_s, u"--follow"_s });
        ASSERT_TRUE(follower.waitForReadyRead(10000)) << follower.readAllStandardError().data();
        EXPECT_FALSE(follower.waitForFinished(300));
    }
    ASSERT_TRUE(follower.waitForFinished(10000));
    EXPECT_EQ(follower.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(follower.exitCode(), 0);
}

} // namespace
