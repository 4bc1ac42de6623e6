// Cost of one backfill page: decoding a conversations.history body of 100 messages, and the
// whole call (request, fake server on loopback, decoding) through the Web API client.
// Goals on the reference machine: decoding under 2 ms, the loopback call under 10 ms median.
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
    for (int i = 0; i < 100; ++i)
        messages.append(alertMessage(i));
    const QByteArray body = QJsonDocument(
        QJsonObject { { u"ok"_s, true }, { u"messages"_s, messages },
            { u"has_more"_s,
                false } }).toJson(QJsonDocument::Compact);
    for (auto _ : state) {
        const auto page = SlackWebAPI::ConversationsHistoryResponse::decode(body);
        benchmark::DoNotOptimize(page->messages->size());
    }
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

BENCHMARK(BM_DecodeHistoryPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryCallOnLoopback)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
