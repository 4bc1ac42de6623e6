// Cost of the Web API's largest replies: decoding a conversations.history page (100 messages as
// the client asks for, 200 for a server that sends more) and a users.conversations list of 1000
// channels, and the whole history call (request, fake server on loopback, decoding) through the
// Web API client. Goals on the reference machine: a page of 100 decoded under 2 ms, the loopback
// call under 10 ms median.
#include "halyard-sim/fakeslack.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

QJsonObject alertMessage(int i)
{
    return QJsonObject {
        { u"type"_s, u"message"_s },
        { u"subtype"_s, u"bot_message"_s },
        { u"bot_id"_s, u"B012345"_s },
        { u"text"_s, u"[FIRING:1] HighErrorRate api-gateway 5xx ratio above 2% for 10m"_s },
        { u"ts"_s, QString(QString::number(1'700'000'000 + i) + u".000100") },
        { u"attachments"_s,
            QJsonArray { QJsonObject { { u"title"_s, u"api-gateway"_s },
                { u"fields"_s,
                    QJsonArray { QJsonObject {
                        { u"title"_s, u"Severity"_s }, { u"value"_s, u"critical"_s } } } } } } },
        { u"reactions"_s,
            QJsonArray { QJsonObject { { u"name"_s, u"eyes"_s }, { u"count"_s, 2 } } } },
    };
}

void BM_DecodeHistoryPage(benchmark::State& state)
{
    QJsonArray messages;
    for (int i = 0; i < state.range(0); ++i)
        messages.append(alertMessage(i));
    const QByteArray body = QJsonDocument(
        QJsonObject { { u"ok"_s, true }, { u"messages"_s, messages },
            { u"has_more"_s,
                false } }).toJson(QJsonDocument::Compact);
    for (auto _ : state) {
        const auto page = SlackWebAPI::ConversationsHistoryResponse::decode(body);
        benchmark::DoNotOptimize(page->messages->size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A channel as users.conversations lists it: the two members the client reads among the many
// it skips.
QJsonObject listedChannel(int i)
{
    const QString id = u"C0%1"_s.arg(i, 8, 10, QChar(u'0'));
    const QJsonObject note { { u"value"_s, u"Alerts from production monitoring"_s },
        { u"creator"_s, u"U0AAA1111"_s }, { u"last_set"_s, 1690000000 } };
    return QJsonObject {
        { u"id"_s, id },
        { u"name"_s, u"alerts-%1"_s.arg(i) },
        { u"is_channel"_s, true },
        { u"is_group"_s, false },
        { u"is_im"_s, false },
        { u"is_mpim"_s, false },
        { u"is_private"_s, i % 5 == 0 },
        { u"created"_s, 1600000000 + i },
        { u"is_archived"_s, false },
        { u"is_general"_s, false },
        { u"unlinked"_s, 0 },
        { u"name_normalized"_s, u"alerts-%1"_s.arg(i) },
        { u"is_shared"_s, false },
        { u"is_org_shared"_s, false },
        { u"is_pending_ext_shared"_s, false },
        { u"pending_shared"_s, QJsonArray {} },
        { u"context_team_id"_s, u"T0123ABCD"_s },
        { u"updated"_s, qint64(1690000000000) },
        { u"creator"_s, u"U0AAA1111"_s },
        { u"is_ext_shared"_s, false },
        { u"shared_team_ids"_s, QJsonArray { u"T0123ABCD"_s } },
        { u"is_member"_s, true },
        { u"topic"_s, note },
        { u"purpose"_s, note },
        { u"previous_names"_s, QJsonArray { u"alerts-old-%1"_s.arg(i) } },
    };
}

void BM_DecodeChannelList(benchmark::State& state)
{
    QJsonArray channels;
    for (int i = 0; i < 1000; ++i)
        channels.append(listedChannel(i));
    const QByteArray body = QJsonDocument(
        QJsonObject { { u"ok"_s, true }, { u"channels"_s, channels },
            { u"response_metadata"_s, QJsonObject { { u"next_cursor"_s, u""_s } } } })
                                .toJson(QJsonDocument::Compact);
    state.counters["body_bytes"] = double(body.size());
    for (auto _ : state) {
        const auto list = SlackWebAPI::UsersConversationsResponse::decode(body);
        benchmark::DoNotOptimize(list->channels->size());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_HistoryCallOnLoopback(benchmark::State& state)
{
    test::FakeSlack slack;
    if (!slack.listen()) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    for (int i = 0; i < 100; ++i)
        slack.workspace().addMessage(u"C1"_s, alertMessage(i));
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    const SlackWebAPI api(&network, slack.apiUrl());
    for (auto _ : state) {
        const auto page
            = QCoro::waitFor(api.conversationsHistory(slack.workspace().botToken, u"C1"_s, u"0"_s));
        if (!page) {
            state.SkipWithError("history call failed");
            return;
        }
        benchmark::DoNotOptimize(page->messages->size());
    }
}

} // namespace

BENCHMARK(BM_DecodeHistoryPage)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeChannelList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryCallOnLoopback)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
