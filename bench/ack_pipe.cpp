// Acks under load, the core wired as the program wires it against the simulated workspace.
//
//   halyard_ack_pipe storm [seconds] [pool]   A look-up storm: 1,000 bot messages over `seconds`
//       (default 60), each naming 8 unknown users out of a pool (default 2,000, so each is named
//       four times), users.info answering in
//       500 ms with a 429 (Retry-After: 2) in every 50; the oldest alert is acknowledged every
//       3 s. Reports users.info calls per distinct ID and how late each ack's reaction reached
//       Slack (median, 99th percentile, max).
//   halyard_ack_pipe outbox [minute-ms] Acknowledge All on 1,000 alerts, a stop 3 s later and a
//       start: whether every reaction reached Slack exactly once, and the pace (reactions per
//       minute of the tier; `minute-ms` shrinks the minute, default 6000, so the run takes
//       about two real minutes instead of twenty).
//
// Goals: at most one users.info per ID; ack reactions within 2 s at the 99th percentile during
// the storm; after the stop every reaction sent exactly once, at no more than its tier's pace.
#include "halyard-sim/fakeslack.h"
#include "queue/alertstore.h"
#include "queue/reactionoutbox.h"
#include "settings/memorykeychain.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/slackservice.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QHash>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace halyard;
using test::FakeReply;
using test::FakeSlack;

namespace {

QString tsOf(int i)
{
    return QString::number(1'700'000'000 + i) + u".000100"_s;
}

struct Core {
    Core(FakeSlack& fake, const QString& folder, PipeLimits pipe = {})
        : keychain({ { u"slack.botToken"_s, fake.workspace().botToken },
            { u"slack.appToken"_s, fake.workspace().appToken } })
        , preferences(folder)
        , settings(keychain, preferences)
        , webApi(&network, fake.apiUrl(), 60s, RetryPolicy {}, SlackWebAPI::Limits {}, pipe)
    {
        QCoro::waitFor(settings.loadTokens());
        settings.setAckBackEnabled(true);
        if (auto created = ReactionOutbox::create(folder))
            outbox.emplace(std::move(*created));
        service = std::make_unique<SlackService>(&alerts, &settings, &directory, nullptr, nullptr,
            &webApi, SlackServiceTimings {}, outbox ? &*outbox : nullptr);
    }

    MemoryKeychain keychain;
    PreferenceStore preferences;
    SettingsStore settings;
    AlertStore alerts;
    SlackDirectory directory;
    QNetworkAccessManager network;
    SlackWebAPI webApi;
    std::optional<ReactionOutbox> outbox;
    std::unique_ptr<SlackService> service;
};

qint64 percentile(QList<qint64> values, double p)
{
    if (values.isEmpty())
        return -1;
    std::ranges::sort(values);
    return values[qsizetype(p * double(values.size() - 1))];
}

int storm(int seconds, int pool)
{
    FakeSlack fake;
    fake.setHelloOnConnect(true);
    if (!fake.listen())
        return 1;
    fake.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    for (int i = 0; i < 400; ++i) {
        fake.script(u"users.info"_s, FakeReply::serve().after(500ms), 49);
        fake.script(
            u"users.info"_s, FakeReply::http(429, "slow down").withHeader("Retry-After", "2"));
    }
    QTemporaryDir folder;
    Core core(fake, folder.path());
    QHash<QString, qint64> ackedAt;
    QList<qint64> latencies;
    QObject::connect(&fake, &FakeSlack::requestReceived, [&](const test::RecordedRequest& request) {
        if (request.apiMethod != u"reactions.add")
            return;
        const QString ts = request.param(u"timestamp"_s).value_or(QString());
        if (ackedAt.contains(ts))
            latencies.append(fake.elapsedMs() - ackedAt.take(ts));
    });
    core.service->connect();
    if (!QTest::qWaitFor([&] { return fake.isSocketConnected(); }, 20000))
        return 1;

    const int count = 1000;
    const qint64 start = fake.elapsedMs();
    qint64 nextAck = start + 3000;
    for (int i = 0; i < count; ++i) {
        const qint64 due = start + qint64(i) * seconds * 1000 / count;
        while (fake.elapsedMs() < due)
            QTest::qWait(int(std::max<qint64>(1, due - fake.elapsedMs())));
        QString text = u"Disk full, paging"_s;
        for (int k = 0; k < 8; ++k)
            text += u" <@U%1>"_s.arg((i * 8 + k) % pool, 5, 10, QChar(u'0'));
        fake.workspace().addMessage(u"C1"_s, { { u"ts"_s, tsOf(i) }, { u"bot_id"_s, u"B1"_s } });
        fake.sendEvent({ { u"type"_s, u"message"_s }, { u"channel"_s, u"C1"_s },
            { u"bot_id"_s, u"B1"_s }, { u"text"_s, text }, { u"ts"_s, tsOf(i) } });
        if (fake.elapsedMs() >= nextAck && !core.alerts.alerts().isEmpty()) {
            const Alert oldest = core.alerts.alerts().first();
            ackedAt.insert(oldest.ts, fake.elapsedMs());
            core.service->acknowledge(oldest, AckCause::panel);
            nextAck += 3000;
        }
    }
    (void)QTest::qWaitFor([&] { return ackedAt.isEmpty(); }, 30000);
    QHash<QString, int> perId;
    for (const auto& request : fake.requests(u"users.info"_s))
        ++perId[request.param(u"user"_s).value_or(QString())];
    const int most = perId.isEmpty() ? 0 : *std::ranges::max_element(perId);
    std::printf("messages: %d over %d s, alerts queued: %lld\n", count, seconds,
        static_cast<long long>(core.alerts.alerts().size()));
    std::printf("users.info: %lld calls for %lld distinct IDs (at most %d for one ID, 429s "
                "included)\n",
        static_cast<long long>(fake.requests(u"users.info"_s).size()),
        static_cast<long long>(perId.size()), most);
    std::printf("acks: %lld reached Slack, %lld never did; latency median %lld ms, p99 %lld ms, "
                "max %lld ms\n",
        static_cast<long long>(latencies.size()), static_cast<long long>(ackedAt.size()),
        static_cast<long long>(percentile(latencies, 0.5)),
        static_cast<long long>(percentile(latencies, 0.99)),
        static_cast<long long>(percentile(latencies, 1.0)));
    return 0;
}

int outbox(int minuteMs)
{
    FakeSlack fake;
    fake.setHelloOnConnect(true);
    if (!fake.listen())
        return 1;
    fake.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    QTemporaryDir folder;
    const PipeLimits pipe { 6, std::chrono::milliseconds(minuteMs) };
    const int count = 1000;
    {
        Core first(fake, folder.path(), pipe);
        first.service->connect();
        if (!QTest::qWaitFor([&] { return fake.isSocketConnected(); }, 20000))
            return 1;
        for (int i = 0; i < count; ++i) {
            fake.workspace().addMessage(
                u"C1"_s, { { u"ts"_s, tsOf(i) }, { u"bot_id"_s, u"B1"_s } });
            first.alerts.enqueue(Alert { Alert::makeId(u"C1"_s, tsOf(i)), u"C1"_s, tsOf(i), u"B1"_s,
                u"x"_s, currentReferenceTime(), std::nullopt });
        }
        // Acknowledge All.
        const QList<Alert> all = first.alerts.alerts();
        for (const Alert& alert : all)
            first.service->acknowledge(alert, AckCause::panel);
        QTest::qWait(3000);
        std::printf("before the stop: %lld reactions sent\n",
            static_cast<long long>(fake.requests(u"reactions.add"_s).size()));
    }
    const qint64 restart = fake.elapsedMs();
    Core second(fake, folder.path(), pipe);
    second.service->connect();
    const auto allThere = [&] {
        for (int i = 0; i < count; ++i) {
            if (fake.workspace().reactions(u"C1"_s, tsOf(i)).isEmpty())
                return false;
        }
        return true;
    };
    const bool complete = QTest::qWaitFor(allThere, 40 * minuteMs);
    const qint64 took = fake.elapsedMs() - restart;
    QHash<QString, int> perTs;
    for (const auto& request : fake.requests(u"reactions.add"_s))
        ++perTs[request.param(u"timestamp"_s).value_or(QString())];
    int twice = 0;
    for (int sent : std::as_const(perTs))
        twice += sent > 1 ? 1 : 0;
    const qint64 afterRestart = fake.requests(u"reactions.add"_s).size();
    std::printf("after the start: every reaction in Slack: %s; %lld requests in all, %d messages "
                "reacted to more than once\n",
        complete ? "yes" : "NO", static_cast<long long>(afterRestart), twice);
    std::printf("pace after the start: %.1f reactions per tier minute (Tier 3: 50 a minute with "
                "a burst of 50)\n",
        double(count) / (double(took) / double(minuteMs)));
    return complete && twice == 0 ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"storm"_s;
    const int value = argc > 2 ? std::atoi(argv[2]) : 0;
    if (mode == u"outbox")
        return outbox(value > 0 ? value : 6000);
    const int pool = argc > 3 ? std::atoi(argv[3]) : 0;
    return storm(value > 0 ? value : 60, pool > 0 ? pool : 2000);
}
