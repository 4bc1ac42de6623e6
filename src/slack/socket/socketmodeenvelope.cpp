#include "slack/socket/socketmodeenvelope.h"

#include "slack/events/slackeventdecoder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

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

json::Decoded<SocketModeEnvelope> SocketModeEnvelope::decode(QByteArrayView frame)
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
