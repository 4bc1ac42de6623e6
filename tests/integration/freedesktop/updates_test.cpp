// Update checks against a feed served on localhost: what becomes a reminder, what the user's own
// check and the update dialog do to it, and feeds that cannot be used.
#include "common/logcapture.h"
#include "freedesktop/appcast.h"
#include "freedesktop/endpointrule.h"
#include "freedesktop/updatechecker.h"
#include "freedesktop/updatereminderbridge.h"
#include "settings/preferencestore.h"
#include "settings/updatereminderstore.h"
#include "sim/httpwire.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

const QDateTime kNow = QDateTime::fromString(u"2026-03-02T12:00:00Z"_s, Qt::ISODate);

// Answers every request with the current status, body and headers (or not at all while
// `silent`), and counts them.
class FeedServer : public QTcpServer {
public:
    FeedServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    buffer->append(socket->readAll());
                    if (std::holds_alternative<sim::http::Incomplete>(
                            sim::http::takeRequest(*buffer)))
                        return;
                    ++requests;
                    if (silent)
                        return;
                    socket->write(
                        sim::http::response(status, body, "application/rss+xml", headers));
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const { return QUrl(u"http://127.0.0.1:%1/appcast.xml"_s.arg(serverPort())); }

    int status = 200;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
    bool silent = false;
    int requests = 0;
};

QByteArray feed(const QList<QByteArray>& items)
{
    return R"(<?xml version="1.0"?><rss version="2.0"
        xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
        <title>Halyard</title>)"
        + items.join() + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& notes = {})
{
    return "<item><title>Halyard " + version + "</title><sparkle:shortVersionString>" + version
        + "</sparkle:shortVersionString><sparkle:version>" + version + "00</sparkle:version>"
        + (notes.isEmpty() ? QByteArray()
                           : "<sparkle:releaseNotesLink>" + notes + "</sparkle:releaseNotesLink>")
        + R"(<enclosure url="https://example.com/halyard-)" + version
        + R"(.tar.gz" length="1" type="application/octet-stream"/></item>)";
}

// A checker for "1.9" on the test's feed (or another), with reminders, on a fixed clock.
struct Updates {
    explicit Updates(bool withFeed = true, std::optional<QUrl> feedUrl = std::nullopt,
        UpdateCheckTimings timings = {})
        : checker(
            network, preferences, withFeed ? feedUrl.value_or(server.url()) : QUrl(), u"1.9"_s,
            [this] { return now; }, timings)
    {
        bridge.follow(checker);
    }
    UpdateChecker::Result checkNow() { return QCoro::waitFor(checker.checkNow()); }
    void runScheduled() { QCoro::waitFor(checker.runScheduledCheck()); }

    LogCapture log;
    FeedServer server;
    QTemporaryDir folder;
    PreferenceStore preferences { folder.path() };
    QNetworkAccessManager network;
    QDateTime now = kNow;
    UpdateReminderStore store { preferences };
    UpdateReminderBridge bridge { store };
    UpdateChecker checker;
};

TEST(UpdateChecks, ScheduledFindIsOfferedOnceDismissedForGoodAndANewerOneOfferedAgain)
{
    Updates u;
    u.server.body = feed({ item("1.9"), item("2.0") });
    u.runScheduled();
    EXPECT_EQ(u.store.availableVersion(), u"2.0"_s);
    EXPECT_TRUE(u.log.contains(u"app"_s, u"Update reminder offered: 2.0"_s));

    u.store.dismiss();
    EXPECT_EQ(u.preferences.stringValue(u"updateReminderDismissedVersion"_s), u"2.0"_s);
    u.log.clear();
    u.runScheduled();
    EXPECT_EQ(u.store.availableVersion(), std::nullopt);
    EXPECT_TRUE(u.log.contains(u"app"_s, u"Update reminder suppressed (version dismissed): 2.0"_s));

    u.server.body = feed({ item("2.0"), item("2.1") });
    u.runScheduled();
    EXPECT_EQ(u.store.availableVersion(), u"2.1"_s);
    EXPECT_EQ(u.server.requests, 3);
}

TEST(UpdateChecks, TheUsersOwnCheckAndTheDialogNeverLeaveAReminderOrRememberTheVersion)
{
    Updates u;
    u.server.body = feed({ item("2.0", "https://example.com/notes/2.0") });
    const UpdateChecker::Result found = u.checkNow();
    ASSERT_TRUE(found && *found);
    EXPECT_EQ((*found)->displayVersion, u"2.0"_s);
    EXPECT_EQ((*found)->downloadPage, QUrl(u"https://example.com/halyard-2.0.tar.gz"_s));
    EXPECT_EQ((*found)->releaseNotes, QUrl(u"https://example.com/notes/2.0"_s));
    EXPECT_EQ(u.store.availableVersion(), std::nullopt);

    // The row opens the dialog: showing it clears the reminder, closing it changes nothing more.
    u.runScheduled();
    ASSERT_EQ(u.store.availableVersion(), u"2.0"_s);
    u.bridge.didReceiveUserAttention();
    EXPECT_EQ(u.store.availableVersion(), std::nullopt);
    u.checkNow();
    u.bridge.willFinishUpdateSession();
    EXPECT_EQ(u.store.availableVersion(), std::nullopt);
    EXPECT_FALSE(u.preferences.contains(u"updateReminderDismissedVersion"_s));

    u.runScheduled();
    EXPECT_EQ(u.store.availableVersion(), u"2.0"_s);
}

TEST(UpdateChecks, FeedsThatCannotBeUsedAreReportedAndChangeNothing)
{
    const QString fetchFailed = u"The update feed could not be fetched: "_s;
    const QByteArray huge
        = feed({ item("2.0") }).replace("</title>", QByteArray(4 << 20, 'x').append("</title>"));
    const struct {
        int status;
        QByteArray body;
        QString detail; // the start of what the check reports
        QByteArray location = {}; // a redirect's target
        bool silent = false;
    } cases[] = {
        { 200, feed({ item("2.0") }).left(200), u"The update feed could not be read: "_s },
        { 200, "<html><body>Maintenance</body>", u"The update feed could not be read: "_s },
        { 404, "not here", fetchFailed },
        // Untrusted: however it is told, no more than the cap and the deadline, and no other
        // place than an https one.
        { 200, huge, fetchFailed + u"it is larger than 4 MiB"_s },
        { 200, {}, fetchFailed + u"it did not arrive within 0.2 seconds"_s, {}, true },
        { 302, {}, fetchFailed + u"it redirects to an address that is not https: "_s,
            "http://192.0.2.1/appcast.xml" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail.toStdString());
        Updates u(true, std::nullopt, { .deadline = std::chrono::milliseconds(200) });
        u.server.status = c.status;
        u.server.body = c.body;
        u.server.silent = c.silent;
        if (!c.location.isEmpty())
            u.server.headers = { { "Location", c.location } };
        u.runScheduled();
        EXPECT_EQ(u.store.availableVersion(), std::nullopt);
        const UpdateChecker::Result result = u.checkNow();
        ASSERT_FALSE(result.has_value());
        EXPECT_TRUE(result.error().detail.startsWith(c.detail))
            << qUtf8Printable(result.error().detail);
        EXPECT_EQ(u.store.availableVersion(), std::nullopt);
    }
}

TEST(UpdateChecks, NewerMeansNumericallyGreaterPartByPart)
{
    EXPECT_GT(compareVersions(u"1.10", u"1.9"), 0);
    EXPECT_LT(compareVersions(u"1.9", u"1.10"), 0);
    EXPECT_EQ(compareVersions(u"2.0", u"2"), 0);
    EXPECT_GT(compareVersions(u"2.0.1", u"2.0"), 0);
    EXPECT_GT(compareVersions(u"2.0-rc1", u"1.99"), 0);
    // A pre-release ranks below its release and above the one before.
    EXPECT_LT(compareVersions(u"2.1-beta", u"2.1"), 0);
    EXPECT_LT(compareVersions(u"2.1-beta", u"2.1-rc1"), 0);
    EXPECT_EQ(compareVersions(u"2.1-rc1", u"2.1.rc1"), 0);
    EXPECT_GT(compareVersions(u"2.1-beta", u"2.0.9"), 0);

    // The same rule picks the newest item and decides against the running "1.9"; the versions
    // may also sit on the enclosure.
    const struct {
        QByteArray body;
        QString found; // empty: up to date
    } cases[] = {
        { feed({ item("1.10"), item("1.9"), item("1.2") }), u"1.10"_s },
        { feed({ item("1.9"), item("1.8.7") }), {} },
        { feed({}), {} },
        // Text that is no version is no release.
        { feed({ item("beta"), item("2." + QByteArray(64, '1')), item("1.9.1") }), u"1.9.1"_s },
        { feed({ R"(<item><enclosure url="https://example.com/d" sparkle:version="300"
              sparkle:shortVersionString="3.0"/></item>)" }),
            u"3.0"_s },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.constData());
        Updates u;
        u.server.body = c.body;
        const UpdateChecker::Result result = u.checkNow();
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->has_value() ? (*result)->displayVersion : QString(), c.found);
    }
}

TEST(UpdateChecks, ScheduleIsADayAfterTheLastCheckButNotWithinAMinuteOfStart)
{
    const struct {
        std::optional<qint64> lastSecondsAgo;
        qint64 dueInSeconds;
    } cases[] = {
        { std::nullopt, 60 }, { 2 * 3600, 22 * 3600 }, { 24 * 3600 - 30, 60 }, { 3 * 86400, 60 },
        { -3600, 60 }, // a last check in the future: the clock was set back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastSecondsAgo.value_or(-1));
        Updates u;
        if (c.lastSecondsAgo) {
            u.preferences.setString(u"updates.lastCheck"_s,
                kNow.addSecs(-*c.lastSecondsAgo).toString(Qt::ISODateWithMs));
        }
        u.checker.start();
        EXPECT_EQ(u.checker.nextCheckDue(), kNow.addSecs(c.dueInSeconds));
    }

    Updates u;
    u.server.body = feed({});
    u.now = kNow.addSecs(90);
    u.runScheduled();
    EXPECT_EQ(u.preferences.stringValue(u"updates.lastCheck"_s),
        kNow.addSecs(90).toString(Qt::ISODateWithMs));
    EXPECT_EQ(u.checker.nextCheckDue(), kNow.addSecs(90 + 86400));

    // The plan is kept: the first check runs on its own when it falls due, the next waits a day.
    Updates soon(true, std::nullopt, { .startDelay = std::chrono::milliseconds(10) });
    soon.server.body = feed({});
    soon.checker.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return soon.server.requests == 1; }, 10000));
    EXPECT_EQ(soon.checker.nextCheckDue(), kNow.addSecs(86400));

    // Without a feed nothing is ever planned or fetched.
    Updates off(false);
    off.checker.start();
    off.runScheduled();
    EXPECT_EQ(off.checker.nextCheckDue(), std::nullopt);
    EXPECT_EQ(off.server.requests, 0);
    EXPECT_FALSE(off.preferences.contains(u"updates.lastCheck"_s));
}

// Tokens go to the Web API and updates come from the feed: over https, or over http only to this
// computer.
TEST(AddressRules, TokensAndFeedsUseHttpsOrStayOnThisComputer)
{
    const struct {
        QString url;
        bool trusted;
    } cases[] = {
        { u"https://slack.example/api/"_s, true },
        { u"http://127.0.0.1:4567/api/"_s, true },
        { u"http://[::1]:4567/api/"_s, true },
        { u"http://LOCALHOST:4567/api/"_s, true },
        { u"http://10.0.0.5/api/"_s, false },
        { u"http://127.0.0.1.nip.example/api/"_s, false },
        { u"ftp://127.0.0.1/api/"_s, false },
        { u"file:///etc/passwd"_s, false },
        { u"https:///api/"_s, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        EXPECT_EQ(isTrustedEndpoint(QUrl(c.url)), c.trusted);
        if (c.trusted)
            continue;
        Updates u(true, QUrl(c.url));
        const UpdateChecker::Result result = u.checkNow();
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().kind, Problem::Kind::feedInsecure);
    }
}

} // namespace
} // namespace halyard::test
