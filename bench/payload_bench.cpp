#include "slack/events/classifyevent.h"
#include "slack/socket/socketmodeenvelope.h"
#include "slack/text/slacktext.h"

#include <QJsonDocument>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// Slack sends envelopes without insignificant whitespace.
QByteArray compact(const char* json)
{
    return QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact);
}

// A typical alert as Slack delivers it: a monitoring bot's message with a header, a section,
// rich text and one attachment with fields, inside an events_api envelope (about 2 KB).
const QByteArray kEnvelope = compact(R"({
  "envelope_id": "c5b7a2f0-3d1e-4c8b-9a7f-2e6d5c4b3a21",
  "payload": {
    "token": "XXYYZZ", "team_id": "T0123ABCD", "api_app_id": "A0123ABCD",
    "event": {
      "type": "message", "subtype": "bot_message", "text": "",
      "ts": "1700000123.004500", "event_ts": "1700000123.004500", "channel": "C0456EFGH",
      "channel_type": "channel", "bot_id": "B0789IJKL", "username": "Grafana",
      "bot_profile": {"id": "B0789IJKL", "app_id": "A0999", "name": "Grafana", "deleted": false,
        "icons": {"image_36": "https://a.slack-edge.com/x/36.png"}, "team_id": "T0123ABCD"},
      "blocks": [
        {"type": "header", "block_id": "h1",
         "text": {"type": "plain_text", "text": "[FIRING:1] Disk usage high", "emoji": true}},
        {"type": "section", "block_id": "s1",
         "text": {"type": "mrkdwn", "text": "*db1* /var is at *94%* :fire: <https://grafana.example/d/abc|dashboard>"}},
        {"type": "rich_text", "block_id": "r1", "elements": [
          {"type": "rich_text_section", "elements": [
            {"type": "text", "text": "Runbook: "},
            {"type": "link", "url": "https://wiki.example/runbooks/disk", "text": "disk full"},
            {"type": "text", "text": " — on call "},
            {"type": "user", "user_id": "U0AAA1111"}]},
          {"type": "rich_text_list", "style": "bullet", "indent": 0, "elements": [
            {"type": "rich_text_section", "elements": [{"type": "text", "text": "check logrotate"}]},
            {"type": "rich_text_section", "elements": [{"type": "text", "text": "expand volume"}]}]}]}
      ],
      "attachments": [
        {"id": 1, "color": "d50200", "fallback": "[FIRING:1] Disk usage high",
         "title": "Disk usage high", "title_link": "https://grafana.example/alerting/list",
         "text": "Instance db1:9100 has less than 6% free space on /var.",
         "fields": [
           {"title": "Severity", "value": "critical", "short": true},
           {"title": "Instance", "value": "db1:9100", "short": true},
           {"title": "Mount", "value": "/var", "short": true}],
         "footer": "Grafana v10.2.0", "ts": 1700000120}
      ]
    },
    "type": "event_callback", "event_id": "Ev0ABCDEF12", "event_time": 1700000123,
    "authorizations": [{"enterprise_id": null, "team_id": "T0123ABCD", "user_id": "U0BOT",
      "is_bot": true, "is_enterprise_install": false}],
    "is_ext_shared_channel": false, "event_context": "4-eyJldCI6Im1lc3NhZ2UifQ"
  },
  "type": "events_api",
  "accepts_response_payload": false,
  "retry_attempt": 0,
  "retry_reason": ""
})");

// The same envelope as integrations really send it: a number as a field's value, a string where
// Slack puts a profile, an attachment that is not an object and a block text of neither shape.
// Each only costs its own field, and must cost no more time than the well-formed envelope.
const QByteArray kOddEnvelope = [] {
    QByteArray odd = kEnvelope;
    odd.replace(R"("value":"critical")", R"("value":5)");
    odd.replace(R"("bot_profile":{)", R"("bot_profile":"Grafana","profile":{)");
    odd.replace(R"("attachments":[)", R"("attachments":[7,)");
    odd.replace(R"("text":{"text":"*db1*)", R"("text":[1,2],"x":{"text":"*db1*)");
    return odd;
}();

void silenceDispatchLines()
{
    QLoggingCategory::setFilterRules(u"com.corvane.Halyard.*.debug=false"_s);
}

void decodeAndClassify(benchmark::State& state, const QByteArray& frame)
{
    silenceDispatchLines();
    state.counters["envelope_bytes"] = double(frame.size());
    for (auto _ : state) {
        auto envelope = SocketModeEnvelope::decode(frame);
        const auto& events = std::get<SocketModeEnvelope::EventsApi>(envelope->value);
        auto classified = classifyEvent(events.event.value());
        benchmark::DoNotOptimize(classified);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * frame.size());
}

// Goal: 150,000 envelopes a second on one core of the reference machine.
void BM_DecodeAndClassifyEnvelope(benchmark::State& state)
{
    decodeAndClassify(state, kEnvelope);
}
BENCHMARK(BM_DecodeAndClassifyEnvelope);

// Goal: no slower than BM_DecodeAndClassifyEnvelope.
void BM_DecodeAndClassifyEnvelopeWithWrongTypes(benchmark::State& state)
{
    decodeAndClassify(state, kOddEnvelope);
}
BENCHMARK(BM_DecodeAndClassifyEnvelopeWithWrongTypes);

void BM_Acknowledgement(benchmark::State& state)
{
    const QString id = u"c5b7a2f0-3d1e-4c8b-9a7f-2e6d5c4b3a21"_s;
    for (auto _ : state)
        benchmark::DoNotOptimize(SocketModeEnvelope::encodeAcknowledgement(id));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Acknowledgement);

void BM_AttributedText(benchmark::State& state)
{
    const QString text = u"*db1* /var is at *94%* :fire: <https://grafana.example/d/abc|dashboard> "
                         u"— ping <@U0AAA1111> :white_check_mark: when done at 12:30"_s;
    for (auto _ : state)
        benchmark::DoNotOptimize(SlackText::attributedText(text));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AttributedText);

} // namespace

BENCHMARK_MAIN();
