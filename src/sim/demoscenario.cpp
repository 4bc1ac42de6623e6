#include "sim/demoscenario.h"

#include "sim/slackserver.h"

#include <QDateTime>
#include <QJsonArray>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace halyard::sim {

namespace {

const QString kAlerts = u"C0ALERTS"_s;
const QString kDeploys = u"C0DEPLOYS"_s;
const QString kOncall = u"G0ONCALL"_s;
const QStringList kTeammates { u"U0ADA"_s, u"U0GRACE"_s, u"U0LINUS"_s };
const QStringList kServices { u"checkout-service"_s, u"api-gateway"_s, u"billing-worker"_s,
    u"search-indexer"_s, u"auth-service"_s };
const QStringList kHosts { u"db-1"_s, u"db-2"_s, u"cache-3"_s, u"build-agent-7"_s };
const QStringList kDomains { u"status.example.com"_s, u"api.example.com"_s, u"example.com"_s };

QJsonObject fromBot(const QString& botId, const QString& name)
{
    return { { u"bot_id"_s, botId }, { u"username"_s, name }, { u"subtype"_s, u"bot_message"_s },
        { u"bot_profile"_s, QJsonObject { { u"name"_s, name } } } };
}

QJsonObject richText(const QJsonArray& elements)
{
    const QJsonObject section { { u"type"_s, u"rich_text_section"_s },
        { u"elements"_s, elements } };
    return { { u"type"_s, u"rich_text"_s }, { u"elements"_s, QJsonArray { section } } };
}

QJsonObject textElement(const QString& text)
{
    return { { u"type"_s, u"text"_s }, { u"text"_s, text } };
}

QJsonObject field(const QString& title, const QString& value)
{
    return { { u"title"_s, title }, { u"value"_s, value }, { u"short"_s, true } };
}

// One alert, with the channel it goes to.
std::pair<QString, QJsonObject> makeAlert(QRandomGenerator& random)
{
    const auto pick
        = [&random](const QStringList& list) { return list[random.bounded(int(list.size()))]; };
    const QString service = pick(kServices);
    const QString host = pick(kHosts);
    switch (random.bounded(7)) {
    case 0: {
        QJsonObject m = fromBot(u"B0DEPLOY"_s, u"deploybot"_s);
        const QString version = u"v2.%1.%2"_s.arg(random.bounded(10, 30)).arg(random.bounded(9));
        m[u"text"_s]
            = u":rocket: Deploy of *%1* `%2` to production finished"_s.arg(service, version);
        m[u"attachments"_s] = QJsonArray { QJsonObject { { u"color"_s, u"good"_s },
            { u"title"_s, u"Release notes"_s },
            { u"title_link"_s, QString(u"https://ci.example.com/releases/"_s + version) },
            { u"fields"_s,
                QJsonArray { field(u"Environment"_s, u"production"_s),
                    field(u"Duration"_s,
                        u"%1m %2s"_s.arg(random.bounded(2, 9)).arg(random.bounded(60))) } } } };
        return { kDeploys, m };
    }
    case 1: {
        QJsonObject m = fromBot(u"B0DEPLOY"_s, u"deploybot"_s);
        m[u"text"_s]
            = u":rewind: Rollback of *%1* started: health checks failed on 2 of 6 pods"_s.arg(
                service);
        return { kDeploys, m };
    }
    case 2: {
        // Rich text only, as Slack's newer bots send it.
        QJsonObject m = fromBot(u"B0CI"_s, u"ci"_s);
        const QString build = QString::number(random.bounded(4000, 9000));
        m[u"blocks"_s] = QJsonArray { richText(
            QJsonArray { textElement(u":x: Check "_s), textElement(u"integration-tests"_s),
                textElement(QString(u" failed on main for "_s + service + u" — "_s)),
                QJsonObject { { u"type"_s, u"link"_s },
                    { u"url"_s, QString(u"https://ci.example.com/builds/"_s + build) },
                    { u"text"_s, QString(u"build #"_s + build) } } }) };
        return { kAlerts, m };
    }
    case 3: {
        QJsonObject m = fromBot(u"B0PAGER"_s, u"pager"_s);
        const int rate = random.bounded(5, 15);
        m[u"text"_s]
            = u":rotating_light: *PAGE* Error rate of %1 at %2% (threshold 5%) for 5 minutes — "
              u"<https://grafana.example.com/d/%1|dashboard> · <https://runbooks.example.com/%1|runbook>"_s
                  .arg(service)
                  .arg(rate);
        m[u"attachments"_s] = QJsonArray { QJsonObject { { u"color"_s, u"danger"_s },
            { u"fallback"_s, QString(u"Page for "_s + service) },
            { u"fields"_s,
                QJsonArray {
                    field(u"Severity"_s, u"SEV-2"_s), field(u"On call"_s, u"<@U0ADA>"_s) } } } };
        return { kOncall, m };
    }
    case 4: {
        QJsonObject m = fromBot(u"B0MONITOR"_s, u"monitor"_s);
        m[u"text"_s] = u":warning: Disk usage above %1% on *%2* (`/var/lib/postgresql`)"_s
                           .arg(random.bounded(90, 99))
                           .arg(host);
        m[u"attachments"_s] = QJsonArray { QJsonObject { { u"color"_s, u"warning"_s },
            { u"fields"_s,
                QJsonArray { field(u"Free"_s, u"%1 GB"_s.arg(random.bounded(2, 20))),
                    field(u"Growth"_s, u"+4 GB/day"_s) } } } };
        return { kAlerts, m };
    }
    case 5: {
        QJsonObject m = fromBot(u"B0MONITOR"_s, u"monitor"_s);
        const QString domain = pick(kDomains);
        m[u"text"_s]
            = u":lock: Certificate of <https://%1|%1> expires in %2 days"_s.arg(domain).arg(
                random.bounded(3, 14));
        return { kAlerts, m };
    }
    default: {
        QJsonObject m = fromBot(u"B0MONITOR"_s, u"monitor"_s);
        m[u"text"_s]
            = u":snail: p99 latency of %1 at %2 ms (SLO 300 ms) — <#C0ALERTS>"_s.arg(service).arg(
                random.bounded(400, 1200));
        return { kOncall, m };
    }
    }
}

} // namespace

DemoScenario::DemoScenario(SlackServer& slack, QObject* parent)
    : DemoScenario(slack, Pace {}, parent)
{
}

DemoScenario::DemoScenario(SlackServer& slack, Pace pace, QObject* parent)
    : QObject(parent)
    , m_slack(slack)
    , m_pace(pace)
    , m_random(QRandomGenerator::global()->generate())
{
    m_timer.setSingleShot(true);
}

void DemoScenario::populate(Workspace& workspace)
{
    workspace.teamName = u"Simulated Team"_s;
    workspace.addChannel({ kAlerts, u"alerts"_s });
    workspace.addChannel({ kDeploys, u"deploys"_s });
    workspace.addChannel({ kOncall, u"oncall"_s, true });
    workspace.addChannel({ u"C0RANDOM"_s, u"random"_s, false, false });
    workspace.addUser(u"U0ADA"_s, u"ada"_s, u"Ada Lovelace"_s, u"ada"_s);
    workspace.addUser(u"U0GRACE"_s, u"grace"_s, u"Grace Hopper"_s, u"grace"_s);
    workspace.addUser(u"U0LINUS"_s, u"linus"_s, u"Linus Pauling"_s, u"linus"_s);
    workspace.addBot({ u"B0MONITOR"_s, u"monitor"_s, u"A0MONITOR"_s });
    workspace.addBot({ u"B0DEPLOY"_s, u"deploybot"_s, u"A0DEPLOY"_s });
    workspace.addBot({ u"B0CI"_s, u"ci"_s, u"A0CI"_s });
    workspace.addBot({ u"B0PAGER"_s, u"pager"_s, u"A0PAGER"_s });
}

void DemoScenario::start()
{
    m_timer.disconnect(this);
    connect(&m_timer, &QTimer::timeout, this, &DemoScenario::waitForClient);
    m_timer.start(0);
}

void DemoScenario::stop()
{
    m_timer.stop();
    m_timer.disconnect(this);
}

void DemoScenario::waitForClient()
{
    if (!m_slack.isSocketConnected()) {
        m_timer.start(250);
        return;
    }
    m_timer.disconnect(this);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const bool burst = m_posted == 0 || int(m_random.bounded(100)) < m_pace.burstPercent;
        postBurst(burst ? m_random.bounded(3, 6) : 1);
        scheduleNext(between(m_pace.minGap, m_pace.maxGap));
    });
    scheduleNext(m_pace.firstBurst);
}

void DemoScenario::scheduleNext(std::chrono::milliseconds delay)
{
    m_timer.start(delay);
}

void DemoScenario::postBurst(int count)
{
    for (int i = 0; i < count; ++i)
        postOne();
}

void DemoScenario::postOne()
{
    auto [channel, message] = makeAlert(m_random);
    message[u"ts"_s] = nextTs();
    const QString ts = m_slack.postMessage(channel, message);
    ++m_posted;
    if (int(m_random.bounded(100)) >= m_pace.ackPercent)
        return;
    const QString teammate = kTeammates[m_random.bounded(int(kTeammates.size()))];
    QTimer::singleShot(
        between(m_pace.minAckDelay, m_pace.maxAckDelay), this, [this, channel, ts, teammate] {
            m_slack.addReaction(channel, ts, kAckEmoji.toString(), teammate);
            ++m_acknowledged;
        });
}

QString DemoScenario::nextTs()
{
    // Stamped now, so alerts age from the moment they arrive.
    const qint64 micros = std::max(QDateTime::currentMSecsSinceEpoch() * 1000, m_lastTsMicros + 1);
    m_lastTsMicros = micros;
    return QString::number(micros / 1000000) + u'.'
        + QString::number(micros % 1000000).rightJustified(6, u'0');
}

std::chrono::milliseconds DemoScenario::between(
    std::chrono::milliseconds low, std::chrono::milliseconds high)
{
    if (high <= low)
        return low;
    return std::chrono::milliseconds(
        low.count() + qint64(m_random.bounded(quint64(high.count() - low.count() + 1))));
}

} // namespace halyard::sim
