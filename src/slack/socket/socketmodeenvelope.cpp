#include "slack/socket/socketmodeenvelope.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

json::Decoded<SocketModeEnvelope::EventsApiPayload> SocketModeEnvelope::EventsApiPayload::fromJson(
    const QJsonValue& value, const QString& path)
{
    return json::decodeObject<EventsApiPayload>(value, path, [](json::ObjectReader& r) {
        return EventsApiPayload { r.requiredWith<SlackEventDTO>(u"event", decodeSlackEventDTO) };
    });
}

json::Decoded<SocketModeEnvelope> SocketModeEnvelope::decode(const QByteArray& frame)
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
