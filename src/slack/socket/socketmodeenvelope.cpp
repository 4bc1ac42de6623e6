#include "slack/socket/socketmodeenvelope.h"

#include "slack/fastslackeventreader.h"
#include "slack/slackeventdecoder.h"
#include "slack/strictjsoncursor.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

json::Decoded<SocketModeEnvelope::EventsApiPayload> SocketModeEnvelope::EventsApiPayload::fromJson(
    const QJsonValue& value, const QString& path)
{
    return json::decodeObject<EventsApiPayload>(value, path, [](json::ObjectReader& r) {
        return EventsApiPayload { r.requiredWith<SlackEventDTO>(u"event",
            [](const QJsonValue& v, const QString& p) { return decodeSlackEventDTO(v, p); }) };
    });
}

json::Decoded<SocketModeEnvelope> SocketModeEnvelope::decode(const QByteArray& frame)
{
    if (auto envelope = decodeFast(frame))
        return std::move(*envelope);
    return decodeGeneral(frame);
}

std::optional<SocketModeEnvelope> SocketModeEnvelope::decodeFast(QByteArrayView frame)
{
    using namespace strictjson;
    StrictJsonCursor c(frame);
    SeenKeys seen;
    std::optional<QString> type;
    std::optional<QString> envelopeId;
    std::optional<QString> reason;
    std::optional<qint64> numConnections;
    std::optional<SlackEventDTO> event;
    bool hasPayload = false;
    const bool read = readObject(c, [&](QByteArrayView key) {
        if (key == "type")
            return seen.firstTime(c, 0) && readOptionalString(c, type);
        if (key == "envelope_id")
            return seen.firstTime(c, 1) && readOptionalString(c, envelopeId);
        if (key == "num_connections")
            return seen.firstTime(c, 2) && readOptionalInt64(c, numConnections);
        if (key == "reason")
            return seen.firstTime(c, 3) && readOptionalString(c, reason);
        if (key == "payload") {
            if (!seen.firstTime(c, 4))
                return false;
            if (c.takeNull())
                return c.ok();
            hasPayload = true;
            SeenKeys seenInPayload;
            return readObject(c, [&](QByteArrayView payloadKey) {
                if (payloadKey != "event")
                    return c.skipValue();
                if (!seenInPayload.firstTime(c, 0))
                    return false;
                if (c.takeNull())
                    return c.ok();
                event.emplace();
                return readSlackEventDTO(c, *event);
            });
        }
        return c.skipValue();
    });
    if (!read || !c.atEnd() || !type)
        return std::nullopt;

    if (*type == u"hello"_s)
        return SocketModeEnvelope { Hello { numConnections } };
    if (*type == u"events_api"_s) {
        if (!envelopeId || !hasPayload || !event)
            return std::nullopt;
        return SocketModeEnvelope { EventsApi { std::move(*envelopeId), std::move(*event) } };
    }
    if (*type == u"disconnect"_s)
        return SocketModeEnvelope { Disconnect { std::move(reason) } };
    return SocketModeEnvelope { Other { std::move(*type) } };
}

json::Decoded<SocketModeEnvelope> SocketModeEnvelope::decodeGeneral(const QByteArray& frame)
{
    const auto object = json::parseObject(frame);
    if (!object)
        return std::unexpected(object.error());
    json::ObjectReader r(*object);
    const QString type = r.requiredString(u"type");
    if (!r.ok())
        return std::unexpected(*r.error());

    if (type == u"hello"_s)
        return r.finish(SocketModeEnvelope { Hello { r.optionalInt64(u"num_connections") } });
    if (type == u"events_api"_s) {
        QString envelopeId = r.requiredString(u"envelope_id");
        auto payload = r.requiredWith<EventsApiPayload>(u"payload", EventsApiPayload::fromJson);
        return r.finish(
            SocketModeEnvelope { EventsApi { std::move(envelopeId), std::move(payload.event) } });
    }
    if (type == u"disconnect"_s)
        return r.finish(SocketModeEnvelope { Disconnect { r.optionalString(u"reason") } });
    return SocketModeEnvelope { Other { type } };
}

namespace {

using Envelope = SocketModeEnvelope;

Envelope decodeEnvelopeFields(payload::ObjectReader& r)
{
    using namespace payload;
    const QString type = r.requiredString("type");
    if (!r.ok())
        return {};
    if (type == u"hello"_s)
        return { Envelope::Hello { r.optionalInt64("num_connections") } };
    if (type == u"events_api"_s) {
        QString envelopeId = r.requiredString("envelope_id");
        auto event = r.requiredWith<SlackEventDTO>("payload", [](Value value, const Path& path) {
            return decodeObject<SlackEventDTO>(value, path, [](ObjectReader& payload) {
                return payload.requiredWith<SlackEventDTO>("event", decodeSlackEvent);
            });
        });
        return { Envelope::EventsApi { std::move(envelopeId), std::move(event) } };
    }
    if (type == u"disconnect"_s)
        return { Envelope::Disconnect { r.optionalString("reason") } };
    // Other envelope types are logged by type only; their keys are not read.
    return { Envelope::Other { type } };
}

} // namespace

json::Decoded<SocketModeEnvelope> SocketModeEnvelope::decodeSimd(QByteArrayView frame)
{
    return payload::decodeDocument<SocketModeEnvelope>(
        frame, [](payload::Value value, const payload::Path& path) {
            return payload::decodeObject<SocketModeEnvelope>(value, path, decodeEnvelopeFields);
        });
}

QString SocketModeEnvelope::encodeAcknowledgement(const QString& envelopeId)
{
    const QByteArray bytes = QJsonDocument(
        QJsonObject { { u"envelope_id"_s,
            envelopeId } }).toJson(QJsonDocument::Compact);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return u"{}"_s;
    return text;
}

} // namespace halyard
