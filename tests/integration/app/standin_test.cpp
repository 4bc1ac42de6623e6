#include "common/privatebus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// A bar restarts its module when it exits: a follower whose session bus is gone must end, or the
// next session's bar never gets a fresh one.
TEST(StandIn, StatusFollowEndsWithAFailureWhenItsBusCloses)
{
    QProcess follower;
    {
        test::PrivateBus bus;
        ASSERT_FALSE(bus.address().isEmpty()) << bus.error().toStdString();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        follower.setProcessEnvironment(env);
        follower.start(QStringLiteral(HALYARD_BINARY), { u"status"_s, u"--follow"_s });
        ASSERT_TRUE(follower.waitForReadyRead(10000)) << follower.readAllStandardError().data();
        EXPECT_FALSE(follower.waitForFinished(300));
    }
    ASSERT_TRUE(follower.waitForFinished(10000));
    EXPECT_EQ(follower.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(follower.exitCode(), 0);
}

// Answers every call to the queue with what the test gives it: a copy of another version, or one
// with a fault, as the commands may meet it.
class StandInQueue : public QDBusVirtualObject {
public:
    std::function<QVariantList()> answer;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        return connection.send(message.createReply(answer()));
    }
    QString introspect(const QString&) const override { return {}; }
};

QVariant rows(const QList<QVariantMap>& maps)
{
    QDBusArgument argument;
    argument.beginArray(QMetaType::fromType<QVariantMap>());
    for (const QVariantMap& map : maps)
        argument << map;
    argument.endArray();
    return QVariant::fromValue(argument);
}

// What the list prints of answers this version did not write: the size limit's remainder, a
// proxy-like text, fields of the wrong type.
TEST(StandIn, ListReadsWhatTheRunningCopyAnswers)
{
    test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << bus.error().toStdString();
    QDBusConnection connection = bus.connect();
    StandInQueue queue;
    ASSERT_TRUE(connection.registerVirtualObject(u"/com/corvane/Halyard"_s, &queue));
    ASSERT_TRUE(connection.interface()->registerService(u"com.corvane.Halyard"_s).isValid());
    const QVariantMap row { { u"id"_s, u"C1:1.1"_s }, { u"stage"_s, u"fresh"_s },
        { u"received"_s, 1764597600.0 }, { u"channel"_s, u"alerts"_s }, { u"text"_s, u"disk"_s } };
    QVariantMap oddRow = row;
    oddRow.insert(
        { { u"received"_s, u"yesterday"_s }, { u"count"_s, u"many"_s }, { u"author"_s, 7 } });
    struct Case {
        const char* name;
        QVariantList answer;
        int status;
        QString out;
        QString err;
    } cases[] = {
        { "limited", { rows({ row }), 2500 }, 0,
            u"C1:1.1\tfresh\t2025-12-01 14:00\t#alerts\t\t×1\tC1:1.1\tdisk\n"_s,
            u"2500 newer alerts not listed: the list is limited in size.\n"_s },
        { "odd fields", { rows({ oddRow }), 0 }, 0, u"C1:1.1\tfresh\t\t#alerts\t\t×1\t"_s, {} },
        { "not a list", { u"<html><body>502 Bad Gateway</body></html>"_s }, 1, {},
            u"The running Halyard gave an answer this command cannot read.\n"_s },
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
    env.insert(u"TZ"_s, u"UTC"_s);
    for (const Case& c : cases) {
        queue.answer = [&] { return c.answer; };
        QProcess list;
        list.setProcessEnvironment(env);
        list.start(QStringLiteral(HALYARD_BINARY), { u"list"_s });
        // The event loop runs meanwhile, so that the stand-in answers.
        ASSERT_TRUE(QTest::qWaitFor([&] { return list.state() == QProcess::NotRunning; }, 20000));
        const QString out = QString::fromUtf8(list.readAllStandardOutput());
        const QString err = QString::fromUtf8(list.readAllStandardError());
        EXPECT_EQ(list.exitCode(), c.status) << c.name;
        EXPECT_TRUE(out.startsWith(c.out)) << c.name << out.toStdString();
        EXPECT_EQ(err, c.err) << c.name;
    }
}

} // namespace
