#include "slack/socket/socketmodeenvelope.h"

#include "slack/events/slackeventdecoder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

using Envelope = SocketModeEnvelope;

Envelope decodeEnvelopeFields(payload::SlackObjectReader& r)
{
    using namespace payload;
    const QString type = r.requiredString("type");
    if (!r.ok())
        return {};
    if (type == u"hello"_s)
        return { Envelope::Hello { r.displayInt64("num_connections") } };
    if (type == u"events_api"_s) {
        QString envelopeId = r.requiredString("envelope_id");
        if (!r.ok())
            return {};
        // The payload is decoded apart from the envelope: its failure must not keep the
        // envelope from being acknowledged.
        const Path root;
        const Path payloadPath = root.member("payload");
        const auto payload = r.present("payload");
        json::Decoded<SlackEventDTO> event = payload
            ? decodeObject<SlackEventDTO>(*payload, payloadPath,
                [](SlackObjectReader& p) {
                    return p.requiredWith<SlackEventDTO>("event", decodeSlackEvent);
                })
            : std::unexpected(DecodeError { u"payload"_s, u"missing required value"_s });
        return { Envelope::EventsApi { std::move(envelopeId), std::move(event) } };
    }
    if (type == u"disconnect"_s)
        return { Envelope::Disconnect { r.displayString("reason") } };
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
    // Written with Qt's JSON classes: simdjson only reads, and an ID must be escaped, not pasted.
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
