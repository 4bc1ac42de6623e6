#include "common/privatebus.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// A bar restarts its module when it exits: a follower whose session bus is gone must end, or the
// next session's bar never gets a fresh one.
TEST(StatusFollow, EndsWithAFailureWhenItsBusCloses)
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

} // namespace
